// Thousands of seeded random operations on a model built through the factory - creations of every
// kind, every link the interfaces offer, removals of every kind (also of objects of the wrong kind,
// of another set or none), re-adds, RemoveAllChildren and FlushData - each followed by a full
// comparison with a small reference model of who lists whom and who holds which reference.
#include "KROModelTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>

namespace {
using Ptr = KROBaseUnknown*;
using Items = std::vector<Ptr>;
using K = KROKind;

/// What the model expects of one object. The meaning of `lists` depends on the kind:
/// annotation: associated, order group, basic dimensions; view: annotations; frame: datums, -,
/// basic dimensions; capture: annotations, views, geometries.
struct Obj {
  K kind;
  Ptr p;
  int refs = 1;
  bool alive = true;
  Items lists[3];
  bool has[3] = {};
  Obj* view = nullptr; // weak: counts only while alive
  int refLink = 0;
  Ptr active = nullptr;
};

bool RemoveLast(Items& items, Ptr x) {
  for (std::size_t i = items.size(); i-- > 0;)
    if (items[i] == x) {
      items.erase(items.begin() + std::ptrdiff_t(i));
      return true;
    }
  return false;
}

/// What a removal leaves in the lists of the library's own objects that held the leaving one.
void RemoveEvery(Items& items, Ptr x) {
  while (RemoveLast(items, x)) {
  }
}

using Adder = HRESULT (KROITPSLightSet::*)(KROBaseUnknown*);
// Indexed by KROKind.
const std::array<Adder, 7> kAdd = {&KROITPSLightSet::AddTPS,      &KROITPSLightSet::AddTPSView,
                                   &KROITPSLightSet::AddRefFrame, &KROITPSLightSet::AddTTRS,
                                   &KROITPSLightSet::AddCapture,  &KROITPSLightSet::AddCG,
                                   &KROITPSLightSet::AddFake};
const std::array<Adder, 6> kRemove = {
    &KROITPSLightSet::RemoveTPS,  &KROITPSLightSet::RemoveView,    &KROITPSLightSet::RemoveRefFrame,
    &KROITPSLightSet::RemoveTTRS, &KROITPSLightSet::RemoveCapture, &KROITPSLightSet::RemoveCG};

class ModelRandom : public KROModelTest {
protected:
  void Run(unsigned seed, int steps) {
    rng_.seed(seed);
    objs_.clear();
    live_.clear();
    outsiders_.clear();
    for (Items& l : sets_)
      l.clear();
    present_ = true;
    set_.Reset();
    const long start = KROBaseUnknown::LiveCount();
    ASSERT_EQ(factory_->CreateLightSet(set_.PutTyped(), nullptr), S_OK);
    ASSERT_EQ(factory_->CreateLightSet(other_.PutTyped(), nullptr), S_OK);
    for (int k = 0; k < kKROKindCount; ++k)
      outsiders_.push_back(Track(K(k), Make(K(k), other_.Get())));
    base_ = KROBaseUnknown::LiveCount() - long(live_.size());
    for (int step = 0; step < steps && !HasFailure(); ++step) {
      SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
      Step();
      Check();
    }
    set_.Reset();
    other_.Reset();
    EXPECT_EQ(KROBaseUnknown::LiveCount(), start);
  }

private:
  int Rand(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  Obj& O(Ptr p) { return *live_.at(p); }
  Obj* Track(K kind, Ptr p) {
    objs_.push_back(std::make_unique<Obj>());
    objs_.back()->kind = kind;
    objs_.back()->p = p;
    return live_[p] = objs_.back().get();
  }
  void Release(Ptr p) {
    if (--O(p).refs > 0) return;
    O(p).alive = false;
    live_.erase(p);
  }
  Items& Listed(K k) { return sets_[int(k)]; }
  bool Present(K k) const { return present_ || k == K::Fake; }
  /// A random entry of this set's list of `k`, or null.
  Ptr Pick(K k) {
    Items& l = Listed(k);
    return l.empty() ? nullptr : l[std::size_t(Rand(int(l.size())))];
  }
  /// Mostly one of this set's, sometimes the other set's.
  Ptr Any(K k) { return Rand(5) ? Pick(k) : outsiders_[std::size_t(k)]->p; }

  void Step() {
    const int op = Rand(40);
    if (op < 12)
      Create(K(Rand(kKROKindCount)));
    else if (op < 26)
      Link();
    else if (op < 37)
      Remove();
    else if (op < 39)
      ReAdd();
    else if (Rand(4) == 0)
      Bulk();
  }

  void Create(K k) {
    Ptr p = Make(k);
    ASSERT_NE(p, nullptr);
    if (!Present(k)) return; // the set could not take it: gone with its interface
    Track(k, p);
    Listed(k).push_back(p);
  }

  void ReAdd() {
    const K k = K(Rand(kKROKindCount));
    Ptr p = Pick(k);
    if (!p) return;
    p->AddRef();
    ASSERT_EQ((set_.Get()->*kAdd[std::size_t(k)])(p), S_OK);
    ++O(p).refs;
    Listed(k).push_back(p);
  }

  void BasicDims(Obj& o) {
    std::u16string text = u"D:";
    const int n = int(Listed(K::Annotation).size());
    for (int i = Rand(4); i > 0; --i) {
      const int id = Rand(n + 2);
      const std::string digits = std::to_string(id);
      text += std::u16string(digits.begin(), digits.end()) + u":";
      if (!o.has[2] && id >= 1 && id <= n)
        o.lists[2].push_back(Listed(K::Annotation)[std::size_t(id - 1)]);
    }
    list<KROBaseUnknown>* dims = nullptr;
    if (o.kind == K::Annotation) {
      KROAs<KROITPSLightModel>(o.p)->SetAttributes(text.c_str());
      EXPECT_EQ(KROAs<KROITPSLightModel>(o.p)->GetBasicDim(&dims), S_OK);
    } else {
      KROAs<KROITPSLightRefFrame>(o.p)->SetAttributes(text.c_str());
      EXPECT_EQ(KROAs<KROITPSLightRefFrame>(o.p)->GetBasicDim(&dims), S_OK);
    }
    o.has[2] = true;
  }

  void Link() {
    Ptr a = Pick(K::Annotation), v = Pick(K::View), f = Pick(K::RefFrame), c = Pick(K::Capture);
    Ptr x = Any(K::Annotation), w = Any(K::View), g = Any(K::CG);
    switch (Rand(11)) {
    case 0:
      if (!a || !x) return;
      KROAs<KROITPSLightModel>(a)->AddAssociatedTPS(x);
      O(a).lists[0].push_back(x), O(a).has[0] = true;
      return;
    case 1: {
      if (!a) return;
      auto* group = new list<KROBaseUnknown>;
      O(a).lists[1].clear();
      for (int i = Rand(3); i > 0; --i)
        if (Ptr m = Any(K::Annotation)) group->Append(m), O(a).lists[1].push_back(m);
      KROAs<KROITPSLightModel>(a)->SetOrderGroup(group);
      O(a).has[1] = true;
      return;
    }
    case 2:
      if (!a || !w) return;
      KROAs<KROITPSLightModel>(a)->SetLightView(KROAs<KROITPSLightView>(w).Get());
      O(a).view = &O(w);
      return;
    case 3: {
      if (!a) return;
      const int id = Rand(int(Listed(K::RefFrame).size()) + 2);
      KROAs<KROITPSLightModel>(a)->SetRefFrameLinkID(id);
      O(a).refLink = id;
      return;
    }
    case 4:
      if (Ptr owner = Rand(2) ? a : f) BasicDims(O(owner));
      return;
    case 5:
      if (!v || !x) return;
      KROAs<KROITPSLightView>(v)->AddTPS(x);
      O(v).lists[0].push_back(x);
      return;
    case 6:
      if (!f || !x) return;
      KROAs<KROITPSLightRefFrame>(f)->AddDatumSimple(x);
      O(f).lists[0].push_back(x);
      return;
    case 7:
      if (!c || !x) return;
      KROAs<KROITPSLightCapture>(c)->AddTPS(x);
      O(c).lists[0].push_back(x);
      return;
    case 8:
      if (!c || !w) return;
      KROAs<KROITPSLightCapture>(c)->AddTPSView(w);
      O(c).lists[1].push_back(w);
      return;
    case 9:
      if (!c || !g) return;
      KROAs<KROITPSLightCapture>(c)->AddTPSCG(g);
      O(c).lists[2].push_back(g);
      return;
    default:
      if (!c) return;
      if (Rand(4) == 0) w = nullptr;
      KROAs<KROITPSLightCapture>(c)->SetActiveView(w);
      O(c).active = w;
      return;
    }
  }

  void Remove() {
    const K k = K(Rand(6));
    Ptr x = Pick(k);
    switch (Rand(12)) {
    case 0:
      x = nullptr;
      break;
    case 1:
      x = Pick(K(Rand(kKROKindCount)));
      break; // any kind
    case 2:
      x = outsiders_[std::size_t(Rand(kKROKindCount))]->p;
      break;
    }
    const HRESULT rc = (set_.Get()->*kRemove[std::size_t(k)])(x);
    if (!x || !Present(k)) {
      EXPECT_EQ(rc, E_FAIL);
      return;
    }
    EXPECT_EQ(rc, S_OK);
    Obj* xo = live_.count(x) ? &O(x) : nullptr;
    const Items tpss = Listed(K::Annotation), frames = Listed(K::RefFrame);
    const Items captures = Listed(K::Capture);
    switch (k) {
    case K::Annotation:
      for (Ptr e : tpss)
        for (int l = 0; l < 3; ++l)
          if (O(e).has[l]) RemoveEvery(O(e).lists[l], x);
      for (Ptr f : frames) {
        RemoveEvery(O(f).lists[0], x);
        if (O(f).has[2]) RemoveEvery(O(f).lists[2], x);
      }
      if (xo && xo->kind == K::Annotation && xo->view && xo->view->alive)
        RemoveEvery(xo->view->lists[0], x);
      for (Ptr c : captures)
        RemoveEvery(O(c).lists[0], x);
      break;
    case K::View:
      for (Ptr e : tpss)
        if (O(e).view == xo) O(e).view = nullptr;
      for (Ptr c : captures) {
        if (O(c).active == x) O(c).active = nullptr;
        RemoveEvery(O(c).lists[1], x);
      }
      break;
    case K::RefFrame:
      for (Ptr e : tpss) {
        const int id = O(e).refLink;
        if (id >= 1 && id <= int(frames.size()) && frames[std::size_t(id - 1)] == x)
          O(e).refLink = 0;
      }
      break;
    case K::CG:
      for (Ptr c : captures)
        RemoveEvery(O(c).lists[2], x);
      break;
    default:
      break;
    }
    if (RemoveLast(Listed(k), x)) Release(x);
  }

  void Bulk() {
    const bool flush = Rand(2);
    EXPECT_EQ(flush ? set_->FlushData() : set_->RemoveAllChildren(), S_OK);
    for (K k : {K::Annotation, K::TTRS, K::RefFrame, K::Capture, K::View, K::CG, K::Fake}) {
      if (k == K::Fake && !flush) continue;
      for (Ptr p : Listed(k))
        Release(p);
      Listed(k).clear();
    }
    present_ = flush;
  }

  void Check() {
    for (int k = 0; k < kKROKindCount; ++k) {
      list<KROBaseUnknown>* l = set_->GetTPSList();
      switch (K(k)) {
      case K::View:
        set_->GetViewList(&l);
        break;
      case K::RefFrame:
        set_->GetRefFrameList(&l);
        break;
      case K::TTRS:
        set_->GetTTRSList(&l);
        break;
      case K::Capture:
        set_->GetCaptureList(&l);
        break;
      case K::CG:
        set_->GetCGList(&l);
        break;
      case K::Fake:
        set_->GetFakeList(&l);
        break;
      default:
        break;
      }
      EXPECT_EQ(KROItems(Present(K(k)) ? l : nullptr), sets_[k]) << "set list " << k;
    }
    EXPECT_EQ(KROBaseUnknown::LiveCount(), base_ + long(live_.size()));
    for (auto& [p, o] : live_) {
      EXPECT_EQ(KRORefCount(p), ULONG(o->refs));
      list<KROBaseUnknown>* l = nullptr;
      switch (o->kind) {
      case K::Annotation: {
        auto m = KROAs<KROITPSLightModel>(p);
        EXPECT_EQ(m->GetAssociatedTPS(&l) == S_OK, o->has[0]);
        if (o->has[0]) {
          EXPECT_EQ(KROItems(l), o->lists[0]);
        }
        l = nullptr;
        m->GetOrderGroup(&l);
        EXPECT_EQ(KROItems(l), o->lists[1]);
        if (o->has[2]) {
          EXPECT_EQ(m->GetBasicDim(&l), S_OK);
          EXPECT_EQ(KROItems(l), o->lists[2]);
        }
        KROComPtr<KROITPSLightView> view;
        const bool linked = o->view && o->view->alive;
        EXPECT_EQ(SUCCEEDED(m->GetLightView(view.PutTyped())), linked);
        if (linked) {
          EXPECT_EQ(KROBaseOf(view.Get()), o->view->p);
        }
        int id = -1;
        m->GetRefFrameLinkID(&id);
        EXPECT_EQ(id, o->refLink);
        break;
      }
      case K::View:
        EXPECT_EQ(KROItems(KROAs<KROITPSLightView>(p)->GetTPSList()), o->lists[0]);
        break;
      case K::RefFrame: {
        auto f = KROAs<KROITPSLightRefFrame>(p);
        f->GetAllDatumsSimple(&l);
        EXPECT_EQ(KROItems(l), o->lists[0]);
        if (o->has[2]) {
          EXPECT_EQ(f->GetBasicDim(&l), S_OK);
          EXPECT_EQ(KROItems(l), o->lists[2]);
        }
        break;
      }
      case K::Capture: {
        auto c = KROAs<KROITPSLightCapture>(p);
        using Get = HRESULT (KROITPSLightCapture::*)(list<KROBaseUnknown>**);
        const std::array<Get, 3> gets = {&KROITPSLightCapture::GetTPSs,
                                         &KROITPSLightCapture::GetTPSViews,
                                         &KROITPSLightCapture::GetTPSCGs};
        for (int i = 0; i < 3; ++i) {
          (c.Get()->*gets[std::size_t(i)])(&l);
          EXPECT_EQ(KROItems(l), o->lists[i]) << "capture list " << i;
        }
        KROBaseUnknown* active = nullptr;
        EXPECT_EQ(SUCCEEDED(c->GetActiveView(&active)), o->active != nullptr);
        EXPECT_EQ(active, o->active);
        if (active) active->Release();
        break;
      }
      default:
        break;
      }
    }
  }

  std::mt19937 rng_;
  KROComPtr<KROITPSLightSet> other_;
  std::vector<std::unique_ptr<Obj>> objs_;
  std::unordered_map<Ptr, Obj*> live_;
  std::vector<Obj*> outsiders_;
  Items sets_[kKROKindCount];
  bool present_ = true;
  long base_ = 0;
};

TEST_F(ModelRandom, EveryStepMatchesTheReferenceModel) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    Run(seed, 4000);
    if (HasFailure()) break;
  }
}

} // namespace
