// A host holds only the interface pointers the factory gave it. Wherever an operation takes "the
// object", every interface pointer of that object must name it: the set's removals, the id
// broker and the objects' own Remove operations, whose lists hold the objects' base pointers.
#include "KROModelTestSupport.h"

#include <gtest/gtest.h>

namespace {
using Items = std::vector<KROBaseUnknown*>;
using K = KROKind;
using S = KROITPSLightSet;
using InterfacePointerAsObject = KROModelTest;

struct Kind {
  K kind;
  const char* name;
  IID own;
  HRESULT (S::*remove)(KROBaseUnknown*);
  HRESULT (S::*listOf)(list<KROBaseUnknown>**); // null: the annotation list
  int idKind;                                   // 0: no id kind
};
const Kind kKinds[] = {
    {K::Annotation, "annotation", IID_KROITPSLightModel, &S::RemoveTPS, nullptr, 1},
    {K::View, "view", IID_KROITPSLightView, &S::RemoveView, &S::GetViewList, 2},
    {K::TTRS, "TTRS", IID_KROITPSLightTTRS, &S::RemoveTTRS, &S::GetTTRSList, 3},
    {K::RefFrame, "frame", IID_KROITPSLightRefFrame, &S::RemoveRefFrame, &S::GetRefFrameList, 4},
    {K::Capture, "capture", IID_KROITPSLightCapture, &S::RemoveCapture, &S::GetCaptureList, 0},
    {K::CG, "CG", IID_KROITPSLightCG, &S::RemoveCG, &S::GetCGList, 5},
};

/// `object`'s interface `iid`, counted; the caller releases it.
KROBaseUnknown* Face(KROBaseUnknown* object, const IID& iid) {
  KROBaseUnknown* face = nullptr;
  if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&face)))) return nullptr;
  return face;
}

template <class Itf>
Items ItemsOf(const KROComPtr<Itf>& itf, HRESULT (Itf::*get)(list<KROBaseUnknown>**)) {
  list<KROBaseUnknown>* l = nullptr;
  (itf.Get()->*get)(&l);
  return KROItems(l);
}

TEST_F(InterfacePointerAsObject, EveryFaceOfEveryKindIsFoundByTheBrokerAndRemovedOnce) {
  for (const Kind& k : kKinds) {
    for (const IID& iid : {k.own, IID_KROITPSLight}) {
      SCOPED_TRACE(std::string(k.name) + (iid == k.own ? " own interface" : " KROITPSLight"));
      const auto listed = [&] {
        if (!k.listOf) return KROItems(set_->GetTPSList());
        return List(k.listOf);
      };
      KROBaseUnknown* first = Make(k.kind);
      const long live = KROBaseUnknown::LiveCount();
      KROBaseUnknown* target = Make(k.kind);
      KROBaseUnknown* face = Face(target, iid);
      ASSERT_NE(face, nullptr);
      ASSERT_NE(face, target) << "a tie, not the base pointer";
      if (k.idKind) {
        int id = -99;
        ASSERT_EQ(set_.As<KROITPSIdBroker>()->GetIdForObject(face, k.idKind, &id), S_OK);
        EXPECT_EQ(id, 1);
      }
      ASSERT_EQ((set_.Get()->*k.remove)(face), S_OK);
      EXPECT_EQ(listed(), Items{first});
      EXPECT_EQ((set_.Get()->*k.remove)(face), S_OK) << "a second removal finds nothing";
      face->Release(); // the last reference: the set released its own exactly once
      EXPECT_EQ(KROBaseUnknown::LiveCount(), live);
      ASSERT_EQ((set_.Get()->*k.remove)(first), S_OK);
    }
  }
}

TEST_F(InterfacePointerAsObject, CascadesClearEveryListThatNamesTheObjectThroughAnyFace) {
  KROBaseUnknown *a = Make(K::Annotation), *b = Make(K::Annotation), *view = Make(K::View);
  KROBaseUnknown *frame = Make(K::RefFrame), *capture = Make(K::Capture), *cg = Make(K::CG);
  auto am = KROAs<KROITPSLightModel>(a);
  auto bm = KROAs<KROITPSLightModel>(b);
  auto vi = KROAs<KROITPSLightView>(view);
  auto fi = KROAs<KROITPSLightRefFrame>(frame);
  auto ci = KROAs<KROITPSLightCapture>(capture);
  am->SetLightView(vi.Get());
  vi->AddTPS(a);
  ci->AddTPS(a);
  ci->AddTPSView(view);
  ci->SetActiveView(view);
  ci->AddTPSCG(cg);
  fi->AddDatumSimple(a);
  bm->AddAssociatedTPS(a);
  auto* group = new list<KROBaseUnknown>;
  group->Append(a);
  bm->SetOrderGroup(group);
  bm->SetAttributes(u"B:1:"); // a is annotation id 1
  list<KROBaseUnknown>* dims = nullptr;
  ASSERT_EQ(bm->GetBasicDim(&dims), S_OK);
  ASSERT_EQ(KROItems(dims), Items{a});

  KROComPtr<KROITPSLight> aLight = KROAs<KROITPSLight>(a); // keeps a alive past its removal
  ASSERT_EQ(set_->RemoveTPS(aLight.Get()), S_OK);
  EXPECT_EQ(KROItems(set_->GetTPSList()), Items{b});
  EXPECT_EQ(KROItems(vi->GetTPSList()), Items{});
  EXPECT_EQ(ItemsOf(ci, &KROITPSLightCapture::GetTPSs), Items{});
  EXPECT_EQ(ItemsOf(fi, &KROITPSLightRefFrame::GetAllDatumsSimple), Items{});
  EXPECT_EQ(ItemsOf(bm, &KROITPSLightModel::GetAssociatedTPS), Items{});
  EXPECT_EQ(KROItems(group), Items{});
  EXPECT_EQ(KROItems(dims), Items{});

  ASSERT_EQ(set_->RemoveView(KROAs<KROITPSLight>(view).Get()), S_OK);
  EXPECT_EQ(ItemsOf(ci, &KROITPSLightCapture::GetTPSViews), Items{});
  KROBaseUnknown* active = nullptr;
  EXPECT_EQ(ci->GetActiveView(&active), E_FAIL);
  ASSERT_EQ(set_->RemoveCG(KROAs<KROITPSLightCG>(cg).Get()), S_OK);
  EXPECT_EQ(ItemsOf(ci, &KROITPSLightCapture::GetTPSCGs), Items{});
  EXPECT_EQ(List(&S::GetCGList), Items{});
}

TEST_F(InterfacePointerAsObject, AnObjectsOwnRemovalsTakeAnyFaceOfAListedBasePointer) {
  KROBaseUnknown *a = Make(K::Annotation), *view = Make(K::View), *cg = Make(K::CG);
  auto vi = KROAs<KROITPSLightView>(view);
  auto fi = KROAs<KROITPSLightRefFrame>(Make(K::RefFrame));
  auto ci = KROAs<KROITPSLightCapture>(Make(K::Capture));
  auto bm = KROAs<KROITPSLightModel>(Make(K::Annotation));
  for (int twice = 0; twice < 2; ++twice) {
    vi->AddTPS(a);
    ci->AddTPS(a);
    ci->AddTPSView(view);
    ci->AddTPSCG(cg);
    fi->AddDatumSimple(a);
    bm->AddAssociatedTPS(a);
  }
  auto aLight = KROAs<KROITPSLight>(a);
  auto aModel = KROAs<KROITPSLightModel>(a);
  vi->RemoveTPS(aLight.Get());
  ci->RemoveTPS(aModel.Get());
  ci->RemoveTPSView(KROAs<KROITPSLight>(view).Get());
  ci->RemoveTPSCG(KROAs<KROITPSLightCG>(cg).Get());
  fi->RemoveDatumSimple(aModel.Get());
  bm->RemoveAssociatedTPS(aLight.Get());
  list<KROBaseUnknown>* l = nullptr;
  EXPECT_EQ(KROItems(vi->GetTPSList()), Items{a}) << "one occurrence per call";
  ci->GetTPSs(&l);
  EXPECT_EQ(KROItems(l), Items{a});
  ci->GetTPSViews(&l);
  EXPECT_EQ(KROItems(l), Items{view});
  ci->GetTPSCGs(&l);
  EXPECT_EQ(KROItems(l), Items{cg});
  fi->GetAllDatumsSimple(&l);
  EXPECT_EQ(KROItems(l), Items{a});
  bm->GetAssociatedTPS(&l);
  EXPECT_EQ(KROItems(l), Items{a});
  // An entry given as an interface pointer stays as given and is still removed by that pointer.
  vi->AddTPS(aLight.Get());
  vi->RemoveTPS(aLight.Get());
  EXPECT_EQ(KROItems(vi->GetTPSList()), Items{a});
}

} // namespace
