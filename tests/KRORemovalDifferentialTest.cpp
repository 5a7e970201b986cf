// Two models built by the same seeded operations: one removes through the set, the other through
// a plain walk of every list, as a host could do with the interfaces and the getter lists. After
// every step both must read the same, list by list, cursor, link and reference count included.
#include "KROModelTestSupport.h"
#include "KROTPSLightSetExt.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>

namespace {
using Ptr = KROBaseUnknown*;
using L = list<KROBaseUnknown>;
using K = KROKind;
using Items = std::vector<Ptr>;

struct Model {
  KROComPtr<KROITPSLightSet> set;
  std::vector<Ptr> objs;                     // creation order; one extra count each
  std::vector<K> kinds;                      // shared by both models
  std::vector<KROComPtr<KROITPSLight>> ties; // interface pointers put into lists
  HRESULT rc = S_OK;                         // of the last removal
  std::unordered_map<Ptr, std::string> label;
  L* Own(K k) {
    L* l = nullptr;
    switch (k) {
    case K::Annotation:
      return set->GetTPSList();
    case K::View:
      return SUCCEEDED(set->GetViewList(&l)) ? l : nullptr;
    case K::RefFrame:
      return SUCCEEDED(set->GetRefFrameList(&l)) ? l : nullptr;
    case K::TTRS:
      return SUCCEEDED(set->GetTTRSList(&l)) ? l : nullptr;
    case K::Capture:
      return SUCCEEDED(set->GetCaptureList(&l)) ? l : nullptr;
    case K::CG:
      return SUCCEEDED(set->GetCGList(&l)) ? l : nullptr;
    case K::Fake:
      return SUCCEEDED(set->GetFakeList(&l)) ? l : nullptr;
    }
    return nullptr;
  }
  std::string Dump(const L* l) {
    if (!l) return "-";
    std::string s = "@";
    s += std::to_string(l->Cursor());
    for (int i = 0; i < l->Size(); ++i) {
      s += ',';
      s += label.count(l->At(i)) ? label[l->At(i)] : std::string("?");
    }
    s += '|';
    return s;
  }
};

template <class Itf, class F> void Walk(L* const& holders, F f) {
  const int count = holders ? holders->Size() : 0;
  for (int i = 0; i < count && holders; ++i)
    if (auto itf = KROAs<Itf>(i < holders->Size() ? holders->At(i) : nullptr)) f(itf.Get());
}

/// Whether `l` holds `x` or the base pointer of its component, what the objects' removals take out.
bool Names(const L* l, Ptr x) {
  return l && (l->Locate(x) >= 0 || l->Locate(KROIdentityOf(x)) >= 0);
}

class RemovalDifferential : public KROModelTest {
protected:
  std::mt19937 rng_;
  Model m_[2];
  int R(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  /// The walk every removal does, from the set's list of kind `k`, with `x` as the host gave it.
  HRESULT WalkRemove(Model& m, K k, Ptr x) {
    L* own = m.Own(k);
    if (!x || !own) return E_FAIL;
    Ptr base = KROIdentityOf(x);
    if (own->Locate(x) < 0) {
      // Another form of the component is looked for only when the host gave an interface.
      Ptr listed = base == x || own->Locate(base) >= 0 ? base : nullptr;
      for (int i = own->Size() - 1; !listed && i >= 0; --i)
        if (KROIdentityOf(own->At(i)) == base) listed = own->At(i);
      x = listed ? listed : base;
    }
    L *tpss = m.Own(K::Annotation), *frames = m.Own(K::RefFrame), *caps = m.Own(K::Capture);
    // Each visit calls the operation once, as the host's own objects may hold their own views
    // on duplicates; the library's objects are then asked again while the getter list they hand
    // out still names the leaving object, since a removal leaves no occurrence behind.
    const auto untilGone = [x](auto* itf, auto get, auto remove) {
      (itf->*remove)(x);
      for (L* l = nullptr; SUCCEEDED((itf->*get)(&l)) && Names(l, x); l = nullptr)
        (itf->*remove)(x);
    };
    using M = KROITPSLightModel;
    using F = KROITPSLightRefFrame;
    using C = KROITPSLightCapture;
    if (k == K::Annotation) {
      Walk<M>(tpss, [&](M* a) {
        untilGone(a, &M::GetAssociatedTPS, &M::RemoveAssociatedTPS);
        untilGone(a, &M::GetOrderGroup, &M::RemoveOrderGroupTPS);
        untilGone(a, &M::GetBasicDim, &M::RemoveBasicDim);
      });
      Walk<F>(frames, [&](F* f) {
        untilGone(f, &F::GetAllDatumsSimple, &F::RemoveDatumSimple);
        untilGone(f, &F::GetBasicDim, &F::RemoveBasiDim);
      });
      KROComPtr<KROITPSLightView> view;
      if (auto a = KROAs<M>(x); a && SUCCEEDED(a->GetLightView(view.PutTyped()))) do
          view->RemoveTPS(x);
        while (Names(view->GetTPSList(), x));
      Walk<C>(caps, [&](C* c) { untilGone(c, &C::GetTPSs, &C::RemoveTPS); });
    } else if (k == K::View) {
      Walk<M>(tpss, [x](M* a) { a->RemoveView(x); });
      Walk<C>(caps, [&](C* c) { untilGone(c, &C::GetTPSViews, &C::RemoveTPSView); });
    } else if (k == K::RefFrame) {
      Walk<M>(tpss, [x](M* a) { a->RemoveReferenceFrame(x); });
    } else if (k == K::CG) {
      Walk<C>(caps, [&](C* c) { untilGone(c, &C::GetTPSCGs, &C::RemoveTPSCG); });
    }
    if (own->Remove(x)) x->Release();
    return S_OK;
  }

  /// One operation, drawn from `draw` so that both models make the same one.
  void Step(Model& m, bool walk, unsigned draw) {
    rng_.seed(draw);
    const int n = int(m.kinds.size());
    const auto any = [&](K k, int strays = 4) -> Ptr { // of kind k, or one in `strays` of any
      for (int tries = 0; n && tries < 16; ++tries)
        if (int i = R(n); m.kinds[std::size_t(i)] == k || R(strays) == 0)
          return m.objs[std::size_t(i)];
      return nullptr;
    };
    const auto tieOf = [&](Ptr p) -> Ptr { // an interface pointer of p, kept alive
      m.ties.push_back(KROAs<KROITPSLight>(p));
      if (!m.ties.back()) return p;
      m.label[m.ties.back().Get()] = m.label[p] + "'";
      return m.ties.back().Get();
    };
    const int op = R(30);
    if (op < 6 || n < 4) {
      const K k = K(R(kKROKindCount));
      if (!m.Own(k)) return; // the set could not take it
      Ptr p = Make(k, m.set.Get());
      if (!p) return;
      p->AddRef();
      m.label[p] = std::to_string(m.objs.size());
      m.objs.push_back(p), m.kinds.push_back(k);
      return;
    }
    Ptr a = any(K::Annotation), f = any(K::RefFrame), c = any(K::Capture), v = any(K::View);
    Ptr x = any(K(R(6)));
    if (x && R(6) == 0) x = tieOf(x);
    L* held = nullptr;
    switch (op) {
    case 6:
    case 7:
      if (auto i = KROAs<KROITPSLightModel>(a); i && x) i->AddAssociatedTPS(x);
      return;
    case 8:
      if (auto i = KROAs<KROITPSLightModel>(a)) i->SetOrderGroup(new L), i->GetOrderGroup(&held);
      break;
    case 9:
      if (auto i = KROAs<KROITPSLightModel>(a)) i->GetAssociatedTPS(&held);
      break;
    case 10:
      if (auto i = KROAs<KROITPSLightRefFrame>(f); i && x) i->AddDatumSimple(x);
      return;
    case 11:
      if (auto i = KROAs<KROITPSLightCapture>(c); i && x)
        i->AddTPS(x), i->AddTPSCG(x), i->GetTPSs(&held);
      break;
    case 12:
      if (auto i = KROAs<KROITPSLightCapture>(c); i && x) i->AddTPSView(x), i->SetActiveView(x);
      return;
    case 13:
      if (auto i = KROAs<KROITPSLightView>(v); i && x) i->AddTPS(x);
      return;
    case 14:
      if (auto i = KROAs<KROITPSLightModel>(a); i && x)
        i->SetLightView(KROAs<KROITPSLightView>(R(4) ? v : x).Get());
      return;
    case 15:
      if (auto i = KROAs<KROITPSLightModel>(a)) i->SetRefFrameLinkID(R(4));
      return;
    case 16: {
      const std::u16string text = u"D:" + std::u16string(1, char16_t(u'1' + R(9))) + u":1:";
      if (auto i = KROAs<KROITPSLightModel>(a))
        i->SetAttributes(text.c_str()), i->GetBasicDim(&held);
      if (auto i = KROAs<KROITPSLightRefFrame>(f))
        i->SetAttributes(text.c_str()), i->GetBasicDim(&held);
      break;
    }
    case 17:
      if (auto i = KROAs<KROITPSLightCapture>(c)) i->GetTPSCGs(&held);
      break;
    case 18: // the host edits a set list it got from a getter, mostly as the set would
      if (const K k = K(R(6)); L* own = m.Own(k)) {
        Ptr y = R(12) ? any(k, 1000) : x;
        if (y && R(3)) {
          y->AddRef(), own->Append(y);
        } else if (y && own->Remove(y)) {
          y->Release();
        }
      }
      return;
    case 19:
      if (R(8) == 0) {
        EXPECT_EQ(R(2) ? m.set->FlushData() : m.set->RemoveAllChildren(), S_OK);
      }
      return;
    default: {
      const K k = K(R(6));
      using Rm = HRESULT (KROITPSLightSet::*)(Ptr);
      const Rm rm[] = {&KROITPSLightSet::RemoveTPS,      &KROITPSLightSet::RemoveView,
                       &KROITPSLightSet::RemoveRefFrame, &KROITPSLightSet::RemoveTTRS,
                       &KROITPSLightSet::RemoveCapture,  &KROITPSLightSet::RemoveCG};
      Ptr y = R(5) ? any(k, 8) : x; // mostly one of the kind removed
      if (y && y != x && R(8) == 0) y = tieOf(y);
      m.rc = walk ? WalkRemove(m, k, y) : (m.set.Get()->*rm[int(k)])(y);
      return;
    }
    }
    if (!held) return;
    if (x && R(3))
      held->Append(x); // through the getter list
    else if (x)
      held->Remove(x);
    if (R(15) == 0) held->SetCursor(held->Size() + 2);
  }

  std::string Dump(Model& m) {
    std::string s = std::to_string(m.rc);
    for (int k = 0; k < kKROKindCount; ++k)
      s += m.Dump(m.Own(K(k)));
    for (std::size_t i = 0; i < m.objs.size(); ++i) {
      Ptr p = m.objs[i];
      s += "\n" + m.label[p] + " #" + std::to_string(KRORefCount(p)) + " ";
      L* l = nullptr;
      if (auto a = KROAs<KROITPSLightModel>(p)) {
        int id = 0;
        KROComPtr<KROITPSLightView> view;
        a->GetRefFrameLinkID(&id);
        s += "rf" + std::to_string(id) + " v" +
             (SUCCEEDED(a->GetLightView(view.PutTyped())) ? m.label[KROBaseOf(view.Get())] : "-");
        s += m.Dump(SUCCEEDED(a->GetAssociatedTPS(&l)) ? l : nullptr);
        a->GetOrderGroup(&(l = nullptr)), s += m.Dump(l);
        s += m.Dump(SUCCEEDED(a->GetBasicDim(&l)) ? l : nullptr);
      } else if (auto f = KROAs<KROITPSLightRefFrame>(p)) {
        s += m.Dump(SUCCEEDED(f->GetAllDatumsSimple(&l)) ? l : nullptr);
        s += m.Dump(SUCCEEDED(f->GetBasicDim(&l)) ? l : nullptr);
      } else if (auto c = KROAs<KROITPSLightCapture>(p)) {
        for (auto get : {&KROITPSLightCapture::GetTPSs, &KROITPSLightCapture::GetTPSViews,
                         &KROITPSLightCapture::GetTPSCGs})
          s += m.Dump(SUCCEEDED((c.Get()->*get)(&l)) ? l : nullptr);
        Ptr active = nullptr;
        if (SUCCEEDED(c->GetActiveView(&active))) s += "a" + m.label[active], active->Release();
      } else if (auto v = KROAs<KROITPSLightView>(p)) {
        s += m.Dump(v->GetTPSList());
      }
    }
    return s;
  }
};

TEST_F(RemovalDifferential, SetRemovalsMatchTheFullWalk) {
  const long start = KROBaseUnknown::LiveCount();
  for (unsigned seed = 1; seed <= 8 && !HasFailure(); ++seed) {
    std::mt19937 draws(seed);
    for (Model& m : m_)
      ASSERT_EQ(factory_->CreateLightSet(m.set.PutTyped(), nullptr), S_OK);
    for (int step = 0; step < 1500 && !HasFailure(); ++step) {
      const unsigned draw = unsigned(draws());
      Step(m_[0], false, draw);
      Step(m_[1], true, draw);
      ASSERT_EQ(Dump(m_[0]), Dump(m_[1])) << "seed " << seed << " step " << step;
    }
    for (Model& m : m_) {
      m.set.Reset();
      m.ties.clear();
      for (Ptr p : m.objs)
        p->Release();
      m = Model();
    }
  }
  EXPECT_EQ(KROBaseUnknown::LiveCount(), start);
}

} // namespace

namespace {
/// The indexes behind the removals, seen from the set.
struct IndexOf : KROTPSLightSetExt {
  static KROTPSHolderIndex& Holders(KROBaseUnknown* ext) {
    return static_cast<KROTPSLightSetExt*>(ext)->*(&IndexOf::holders_);
  }
};

class RemovalIndex : public KROModelTest {
protected:
  /// An object of `kind` in the set, with a reference of the test's until the end.
  Ptr Keep(K kind) {
    Ptr p = Make(kind);
    p->AddRef();
    kept_.push_back(p);
    return p;
  }
  void TearDown() override {
    for (Ptr p : kept_)
      p->Release();
    KROModelTest::TearDown();
  }
  std::vector<Ptr> kept_;
};

TEST_F(RemovalIndex, AHolderOutOfTheSetIsPassedOverAndFoundAgainWhenItComesBack) {
  Ptr a = Keep(K::Annotation), capture = Keep(K::Capture), holder = Keep(K::Annotation);
  auto c = KROAs<KROITPSLightCapture>(capture);
  c->AddTPS(a);
  KROAs<KROITPSLightModel>(holder)->AddAssociatedTPS(a);
  ASSERT_EQ(set_->RemoveCapture(capture), S_OK);
  ASSERT_EQ(set_->RemoveTPS(holder), S_OK);
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  L* l = nullptr;
  ASSERT_EQ(c->GetTPSs(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{a}) << "only objects the set lists are asked";
  ASSERT_EQ(KROAs<KROITPSLightModel>(holder)->GetAssociatedTPS(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{a});

  for (Ptr p : {a, capture, holder})
    p->AddRef();
  set_->AddTPS(a);
  set_->AddCapture(capture);
  set_->AddTPS(holder);
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  ASSERT_EQ(c->GetTPSs(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{}) << "back in the set, the capture is found through the index";
  ASSERT_EQ(KROAs<KROITPSLightModel>(holder)->GetAssociatedTPS(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{});
}

TEST_F(RemovalIndex, ChurnThroughAGetterListStaysBoundedAndFound) {
  Ptr holder = Keep(K::Annotation), a = Keep(K::Annotation), b = Keep(K::Annotation);
  auto v1 = KROAs<KROITPSLightView>(Keep(K::View)), v2 = KROAs<KROITPSLightView>(Keep(K::View));
  auto m = KROAs<KROITPSLightModel>(holder);
  m->AddAssociatedTPS(b);
  L* l = nullptr;
  ASSERT_EQ(m->GetAssociatedTPS(&l), S_OK);
  KROTPSHolderIndex& index = IndexOf::Holders(set_->GetImpl());
  EXPECT_EQ(index.Size(), 0u) << "nothing is indexed before the first removal";
  ASSERT_EQ(set_->RemoveCG(a), S_OK); // not a geometry: changes nothing, makes the indexes
  for (int i = 0; i < 20000; ++i) {
    l->Append(a);
    l->Remove(a);
    m->SetLightView((i % 2 ? v1 : v2).Get());
  }
  EXPECT_EQ(index.Size(), 2u) << "b and the view link are held";
  EXPECT_LE(index.Entries(), 2 * index.Size() + 65) << "stale entries are swept";
  ASSERT_EQ(set_->RemoveTPS(b), S_OK);
  EXPECT_EQ(KROItems(l), Items{}) << "the sweep kept what is still held";
  ASSERT_EQ(set_->RemoveView(v1.Get()), S_OK);
  KROComPtr<KROITPSLightView> linked;
  EXPECT_EQ(m->GetLightView(linked.PutTyped()), E_FAIL);
}
} // namespace

namespace {
TEST_F(RemovalIndex, AFrameLinkResolvedThroughAnotherSetIsStillCleared) {
  KROComPtr<KROITPSLightSet> other;
  ASSERT_EQ(factory_->CreateLightSet(other.PutTyped(), nullptr), S_OK);
  Ptr a = Make(K::Annotation, other.Get()); // links `other`, listed here too
  a->AddRef();
  set_->AddTPS(a);
  Keep(K::RefFrame);
  Ptr frame = Keep(K::RefFrame); // id 2 here, id 1 in `other`
  frame->AddRef();
  other->AddRefFrame(frame);
  auto model = KROAs<KROITPSLightModel>(a);
  model->SetRefFrameLinkID(1);
  ASSERT_EQ(set_->RemoveRefFrame(frame), S_OK);
  int id = -1;
  model->GetRefFrameLinkID(&id);
  EXPECT_EQ(id, 0) << "its id named the frame through its own set";
  other.Reset();
}
} // namespace

namespace {
// A set torn down lets its objects go one by one as it releases them: those a host still holds
// leave it uncounted and unregistered, and the next set counts and finds them afresh.
TEST_F(RemovalIndex, ObjectsThatOutliveATornDownSetAreFoundByTheNextOne) {
  KROComPtr<KROITPSLightSet> first;
  ASSERT_EQ(factory_->CreateLightSet(first.PutTyped(), nullptr), S_OK);
  Ptr a = Make(K::Annotation, first.Get()), holder = Make(K::Annotation, first.Get());
  Ptr capture = Make(K::Capture, first.Get()), frame = Make(K::RefFrame, first.Get());
  Ptr gone = Make(K::Annotation, first.Get());
  for (Ptr p : {a, holder, capture, frame})
    p->AddRef(); // the host's, past the set's end
  KROAs<KROITPSLightModel>(holder)->AddAssociatedTPS(a);
  KROAs<KROITPSLightCapture>(capture)->AddTPS(a);
  KROAs<KROITPSLightRefFrame>(frame)->AddDatumSimple(a);
  ASSERT_EQ(first->RemoveTPS(gone), S_OK); // the first removal makes the indexes
  first.Reset();                           // releases every entry; the host's four stay

  for (Ptr p : {a, holder, capture, frame}) {
    KROAs<KROITPSLight>(p)->SetLightSet(set_.Get());
    p->AddRef(); // for the set's list, which takes a reference over
  }
  set_->AddTPS(a);
  set_->AddTPS(holder);
  set_->AddCapture(capture);
  set_->AddRefFrame(frame);
  ASSERT_EQ(set_->RemoveCG(a), S_OK); // not a geometry: changes nothing, makes the indexes
  ASSERT_EQ(set_->RemoveTPS(a), S_OK);
  L* l = nullptr;
  ASSERT_EQ(KROAs<KROITPSLightModel>(holder)->GetAssociatedTPS(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{});
  ASSERT_EQ(KROAs<KROITPSLightCapture>(capture)->GetTPSs(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{});
  ASSERT_EQ(KROAs<KROITPSLightRefFrame>(frame)->GetAllDatumsSimple(&l), S_OK);
  EXPECT_EQ(KROItems(l), Items{});
  for (Ptr p : {a, holder, capture, frame})
    p->Release();
}
} // namespace
