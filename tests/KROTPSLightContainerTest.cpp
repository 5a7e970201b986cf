// The model factory: a host building and tearing down a whole model through interfaces only,
// the create operations' results and bad input, and who holds the created objects.
#include "KROITPSLightModelHandler.h"
#include "KROModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Handler = KROTestHandler;
using ModelFactory = KROModelTest;

TEST_F(ModelFactory, HostBuildsAWholeModelThroughInterfacesAndTearsItDown) {
  const long start = KROBaseUnknown::LiveCount();
  auto* handler = new Handler();
  KROComPtr<KROITPSLightSet> set;
  ASSERT_EQ(factory_->CreateLightSet(set.PutTyped(), handler), S_OK);
  KROBaseUnknown* setBase = KROBaseOf(set.Get());
  EXPECT_EQ(handler->attached, std::vector<KROBaseUnknown*>{setBase});
  KROComPtr<KROITPSLightModelHandler> product;
  ASSERT_EQ(set->GetRefProduct(product.PutTyped()), S_OK);
  EXPECT_EQ(product.Get(), handler);
  product.Reset();

  KROComPtr<KROITPSLightModel> a1, a2;
  KROComPtr<KROITPSLightView> view;
  KROComPtr<KROITPSLightRefFrame> frame;
  KROComPtr<KROITPSLightTTRS> ttrs;
  KROComPtr<KROITPSLightCapture> capture;
  KROComPtr<KROITPSLightCG> cg;
  KROComPtr<KROITPSLightFake> fake;
  ASSERT_EQ(factory_->CreateLightModel(a1.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightModel(a2.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightView(view.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightRefFrame(frame.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightTTRS(ttrs.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightCapture(capture.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightCG(cg.PutTyped(), set.Get()), S_OK);
  ASSERT_EQ(factory_->CreateLightFake(fake.PutTyped(), set.Get()), S_OK);

  // Each object is in its own list, in creation order, and knows its set.
  struct Row {
    KROBaseUnknown* object;
    HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**);
  };
  for (const Row& row : {Row{view.Get(), &KROITPSLightSet::GetViewList},
                         Row{frame.Get(), &KROITPSLightSet::GetRefFrameList},
                         Row{ttrs.Get(), &KROITPSLightSet::GetTTRSList},
                         Row{capture.Get(), &KROITPSLightSet::GetCaptureList},
                         Row{cg.Get(), &KROITPSLightSet::GetCGList},
                         Row{fake.Get(), &KROITPSLightSet::GetFakeList}}) {
    list<KROBaseUnknown>* own = nullptr;
    ASSERT_EQ((set.Get()->*row.get)(&own), S_OK);
    EXPECT_EQ(KROItems(own), std::vector<KROBaseUnknown*>{KROBaseOf(row.object)});
    KROComPtr<KROITPSLightSet> owner;
    ASSERT_EQ(KROAs<KROITPSLight>(row.object)->GetLightSet(owner.PutTyped()), S_OK);
    EXPECT_EQ(KROBaseOf(owner.Get()), setBase);
  }
  KROBaseUnknown* tps1 = KROBaseOf(a1.Get());
  EXPECT_EQ(KROItems(set->GetTPSList()), (std::vector<KROBaseUnknown*>{tps1, KROBaseOf(a2.Get())}));

  // Link every way, then take the first annotation out while the host still holds it.
  KROBaseUnknown* viewBase = KROBaseOf(view.Get());
  ASSERT_EQ(a1->SetLightView(view.Get()), S_OK);
  view->AddTPS(tps1);
  capture->AddTPS(tps1);
  capture->AddTPSView(viewBase);
  capture->SetActiveView(viewBase);
  capture->AddTPSCG(KROBaseOf(cg.Get()));
  a2->AddAssociatedTPS(tps1);
  frame->AddDatumSimple(tps1);
  ttrs->AddGeomPathId(new KRORawCollint());
  a1->AddTTRSLinkID(7);
  ASSERT_EQ(set->RemoveTPS(tps1), S_OK);
  list<KROBaseUnknown>* l = nullptr;
  capture->GetTPSs(&l);
  EXPECT_EQ(KROItems(l), std::vector<KROBaseUnknown*>{});
  EXPECT_EQ(KROItems(view->GetTPSList()), std::vector<KROBaseUnknown*>{});
  a2->GetAssociatedTPS(&l);
  EXPECT_EQ(KROItems(l), std::vector<KROBaseUnknown*>{});
  frame->GetAllDatumsSimple(&l);
  EXPECT_EQ(KROItems(l), std::vector<KROBaseUnknown*>{});
  EXPECT_EQ(KRORefCount(tps1), 1u) << "the host's interface alone keeps it";

  a1.Reset();
  a2.Reset();
  view.Reset();
  frame.Reset();
  ttrs.Reset();
  capture.Reset();
  cg.Reset();
  fake.Reset();
  set.Reset();
  handler->Release();
  EXPECT_EQ(KROBaseUnknown::LiveCount(), start);
}

TEST_F(ModelFactory, BadInputCreatesNothing) {
  const long live = KROBaseUnknown::LiveCount();
  using F = KROITPSLightModelFactory;
  KROITPSLightModel* model = nullptr;
  KROITPSLightFake* fake = nullptr;
  EXPECT_EQ(factory_->CreateLightModel(&model, nullptr), E_FAIL);
  EXPECT_EQ(factory_->CreateLightModel(nullptr, set_.Get()), E_FAIL);
  EXPECT_EQ(factory_->CreateLightFake(&fake, nullptr), E_FAIL);
  EXPECT_EQ(model, nullptr);
  EXPECT_EQ(Create(&F::CreateLightView, nullptr), nullptr);
  EXPECT_EQ(Create(&F::CreateLightRefFrame, nullptr), nullptr);
  EXPECT_EQ(Create(&F::CreateLightTTRS, nullptr), nullptr);
  EXPECT_EQ(Create(&F::CreateLightCapture, nullptr), nullptr);
  EXPECT_EQ(Create(&F::CreateLightCG, nullptr), nullptr);
  EXPECT_EQ(set_->GetTPSList()->Size(), 0);
  EXPECT_EQ(factory_->CreateLightSet(nullptr, nullptr), E_FAIL);

  // A handler that is not a KROITPSLightModelHandler: the new set is dropped, out untouched.
  auto* notHandler = new KROBaseUnknown();
  auto* sentinel = reinterpret_cast<KROITPSLightSet*>(notHandler);
  KROITPSLightSet* out = sentinel;
  EXPECT_EQ(factory_->CreateLightSet(&out, notHandler), E_FAIL);
  EXPECT_EQ(out, sentinel);
  EXPECT_EQ(KRORefCount(notHandler), 1u);
  notHandler->Release();
  EXPECT_EQ(KROBaseUnknown::LiveCount(), live);

  KROITPSLightModelHandler* product = nullptr;
  EXPECT_EQ(set_->GetRefProduct(&product), E_FAIL) << "a set made without a handler";
}

TEST_F(ModelFactory, TheSetsListKeepsTheCreationReference) {
  KROBaseUnknown* first = Make(KROKind::Annotation);
  KROBaseUnknown* second = Make(KROKind::Annotation);
  EXPECT_EQ(KROItems(set_->GetTPSList()), (std::vector<KROBaseUnknown*>{first, second}));
  KROBaseUnknown* view = Make(KROKind::View); // its interface has been released
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(KRORefCount(view), 1u);
  EXPECT_EQ(KROTakeText([&] {
              KROWChar* name = nullptr;
              KROAs<KROITPSLight>(view)->GetName(&name);
              return name;
            }()),
            u"View");
  EXPECT_EQ(set_->RemoveView(view), S_OK); // the set's release destroys it
}

TEST_F(ModelFactory, ASetThatCannotTakeTheObjectLeavesItToTheCallersInterface) {
  set_->RemoveAllChildren(); // the counted lists are absent now
  const long live = KROBaseUnknown::LiveCount();
  KROComPtr<KROITPSLightModel> model;
  ASSERT_EQ(factory_->CreateLightModel(model.PutTyped(), set_.Get()), S_OK);
  EXPECT_EQ(KRORefCount(KROBaseOf(model.Get())), 1u) << "held by the tie only";
  model.Reset();
  EXPECT_EQ(KROBaseUnknown::LiveCount(), live);
}

} // namespace
