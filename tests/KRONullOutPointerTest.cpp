// Every getter of every light-object interface refuses a null out pointer with E_FAIL. Each
// object is reached through QueryInterface on its registered interface, and where a getter has
// something to hand out, the row gives it that first, so the failure is the null pointer's alone.
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelHandler.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KRORep.h"
#include "KROTPSLightCG.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightFake.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"
#include "KROTPSLightView.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Make = KROBaseUnknown* (*)();

template <class Impl> KROBaseUnknown* New() { return new Impl(); }

struct Row {
  std::string label;
  Make make;
  const IID* iid;
  /// Calls the getter on the face the query gave and releases that face.
  std::function<HRESULT(void*)> callAndRelease;

  template <class Itf> static Row Of(std::string label, Make make, HRESULT (*getter)(Itf*)) {
    return {std::move(label), make, &Itf::kIID, [getter](void* face) {
              Itf* itf = static_cast<Itf*>(face);
              const HRESULT rc = getter(itf);
              itf->Release();
              return rc;
            }};
  }
};

// Coordinate getters get two valid outs and a null third.
double gX = 0;
double gY = 0;
double* const sa = &gX;
double* const sb = &gY;

class TestHandler : public KROITPSLightModelHandler {
public:
  HRESULT AttachLightSet(KROBaseUnknown*) override { return S_OK; }
};

/// Links `light` to a new set, which lives only as long as the link's target is needed.
HRESULT WithLinkedSet(KROITPSLight* light, HRESULT (*use)(KROITPSLight*)) {
  auto* set = new KROTPSLightSet();
  KROComPtr<KROITPSLightSet> face;
  set->QueryInterface(IID_KROITPSLightSet, face.Put());
  set->Release();
  if (face) light->SetLightSet(face.Get());
  return use(light);
}

std::vector<Row> LightRows() {
  const struct {
    const char* name;
    Make make;
  } classes[] = {
      {"KROTPSLightTPS", &New<KROTPSLightTPS>},
      {"KROTPSLightView", &New<KROTPSLightView>},
      {"KROTPSLightRefFrame", &New<KROTPSLightRefFrame>},
      {"KROTPSLightCapture", &New<KROTPSLightCapture>},
      {"KROTPSLightCG", &New<KROTPSLightCG>},
      {"KROTPSLightFake", &New<KROTPSLightFake>},
      {"KROTPSLightTTRS", &New<KROTPSLightTTRS>},
      {"KROTPSLightSetExt", &New<KROTPSLightSet>},
  };
  using L = KROITPSLight;
  const struct {
    const char* name;
    HRESULT (*getter)(L*);
  } getters[] = {
      {"GetName", [](L* l) { return l->GetName(nullptr); }},
      {"GetType", [](L* l) { return l->GetType(nullptr); }},
      {"GetRep",
       [](L* l) {
         KRORep* rep = new (nullptr, nullptr, 0) KRO2DCustomRep();
         l->SetRep(rep);
         const HRESULT rc = l->GetRep(nullptr);
         if (rep->HolderCount() == 0) { // a TTRS borrows its rep instead of wrapping it
           l->SetRep(nullptr);
           rep->Destroy();
         }
         return rc;
       }},
      {"GetIndex", [](L* l) { return l->GetIndex(nullptr); }},
      {"GetLightSet",
       [](L* l) {
         return WithLinkedSet(l, [](L* linked) { return linked->GetLightSet(nullptr); });
       }},
      {"GetStatus", [](L* l) { return l->GetStatus(nullptr); }},
      {"GetUUId", [](L* l) { return l->GetUUId(nullptr); }},
  };
  std::vector<Row> rows;
  for (const auto& c : classes)
    for (const auto& g : getters)
      rows.push_back(
          Row::Of<L>(std::string(c.name) + " KROITPSLight::" + g.name, c.make, g.getter));
  return rows;
}

std::vector<Row> AllRows() {
  std::vector<Row> rows = LightRows();

  using M = KROITPSLightModel;
  const Make tps = &New<KROTPSLightTPS>;
  rows.push_back(Row::Of<M>("GetValue", tps, [](M* m) { return m->GetValue(nullptr); }));
  rows.push_back(Row::Of<M>("GetDefAnnot", tps, [](M* m) { return m->GetDefAnnot(nullptr); }));
  rows.push_back(Row::Of<M>("Model GetTTRSLinkIds", tps, [](M* m) {
    m->AddTTRSLinkID(3);
    return m->GetTTRSLinkIds(nullptr);
  }));
  rows.push_back(Row::Of<M>("GetRefFrameLinkID", tps, [](M* m) {
    m->SetRefFrameLinkID(2);
    return m->GetRefFrameLinkID(nullptr);
  }));
  rows.push_back(
      Row::Of<M>("Model GetAttributes", tps, [](M* m) { return m->GetAttributes(nullptr); }));
  rows.push_back(
      Row::Of<M>("GetAssociatedTPS", tps, [](M* m) { return m->GetAssociatedTPS(nullptr); }));
  rows.push_back(Row::Of<M>("GetOrderGroup", tps, [](M* m) { return m->GetOrderGroup(nullptr); }));
  rows.push_back(
      Row::Of<M>("GetBehaviorType", tps, [](M* m) { return m->GetBehaviorType(nullptr); }));
  rows.push_back(Row::Of<M>("GetLightView", tps, [](M* m) {
    auto* view = new KROTPSLightView();
    KROComPtr<KROITPSLightView> face;
    view->QueryInterface(IID_KROITPSLightView, face.Put());
    view->Release();
    m->SetLightView(face.Get());
    return m->GetLightView(nullptr);
  }));
  rows.push_back(
      Row::Of<M>("Model GetSuperType", tps, [](M* m) { return m->GetSuperType(nullptr); }));
  rows.push_back(
      Row::Of<M>("GetReferenceFrame", tps, [](M* m) { return m->GetReferenceFrame(nullptr); }));
  rows.push_back(
      Row::Of<M>("Model GetBasicDim", tps, [](M* m) { return m->GetBasicDim(nullptr); }));
  rows.push_back(Row::Of<M>("Get2DRep", tps, [](M* m) {
    m->Set2DRep(new (nullptr, nullptr, 0) KRO2DCustomRep());
    return m->Get2DRep(nullptr);
  }));

  using V = KROITPSLightView;
  const Make view = &New<KROTPSLightView>;
  rows.push_back(
      Row::Of<V>("GetPlaneOrigin", view, [](V* v) { return v->GetPlaneOrigin(sa, sb, nullptr); }));
  rows.push_back(Row::Of<V>("GetFirstPlaneDirect", view,
                            [](V* v) { return v->GetFirstPlaneDirect(sa, sb, nullptr); }));
  rows.push_back(Row::Of<V>("GetSecondPlaneDirect", view,
                            [](V* v) { return v->GetSecondPlaneDirect(sa, sb, nullptr); }));
  rows.push_back(Row::Of<V>("GetCapture", view, [](V* v) {
    v->SetCapture(v);
    return v->GetCapture(nullptr);
  }));
  rows.push_back(Row::Of<V>("GetSketchMngt", view, [](V* v) { return v->GetSketchMngt(nullptr); }));
  rows.push_back(Row::Of<V>("GetInverted", view, [](V* v) { return v->GetInverted(nullptr); }));
  rows.push_back(Row::Of<V>("GetSketchOrigin", view,
                            [](V* v) { return v->GetSketchOrigin(sa, sb, nullptr); }));
  rows.push_back(Row::Of<V>("GetSketchNormal", view,
                            [](V* v) { return v->GetSketchNormal(sa, sb, nullptr); }));
  rows.push_back(Row::Of<V>("GetHatchRep", view, [](V* v) {
    v->SetHatchRep(new (nullptr, nullptr, 0) KRO2DCustomRep());
    return v->GetHatchRep(nullptr);
  }));

  using F = KROITPSLightRefFrame;
  const Make frame = &New<KROTPSLightRefFrame>;
  rows.push_back(
      Row::Of<F>("GetAllDatumsSimple", frame, [](F* f) { return f->GetAllDatumsSimple(nullptr); }));
  rows.push_back(Row::Of<F>("RefFrame GetTTRSLinkIds", frame, [](F* f) {
    f->AddTTRSLinkID(1);
    return f->GetTTRSLinkIds(nullptr);
  }));
  rows.push_back(
      Row::Of<F>("RefFrame GetAttributes", frame, [](F* f) { return f->GetAttributes(nullptr); }));
  rows.push_back(
      Row::Of<F>("RefFrame GetSuperType", frame, [](F* f) { return f->GetSuperType(nullptr); }));
  rows.push_back(
      Row::Of<F>("RefFrame GetBasicDim", frame, [](F* f) { return f->GetBasicDim(nullptr); }));

  using C = KROITPSLightCapture;
  const Make capture = &New<KROTPSLightCapture>;
  rows.push_back(Row::Of<C>("GetTPSs", capture, [](C* c) { return c->GetTPSs(nullptr); }));
  rows.push_back(Row::Of<C>("GetTPSViews", capture, [](C* c) { return c->GetTPSViews(nullptr); }));
  rows.push_back(Row::Of<C>("GetActiveView", capture, [](C* c) {
    c->SetActiveView(c);
    return c->GetActiveView(nullptr);
  }));
  rows.push_back(
      Row::Of<C>("GetClippingPlane", capture, [](C* c) { return c->GetClippingPlane(nullptr); }));
  rows.push_back(
      Row::Of<C>("GetOrigin", capture, [](C* c) { return c->GetOrigin(sa, sb, nullptr); }));
  rows.push_back(
      Row::Of<C>("GetDirection", capture, [](C* c) { return c->GetDirection(sa, sb, nullptr); }));
  rows.push_back(
      Row::Of<C>("GetZenith", capture, [](C* c) { return c->GetZenith(sa, sb, nullptr); }));
  rows.push_back(
      Row::Of<C>("GetTarget", capture, [](C* c) { return c->GetTarget(sa, sb, nullptr); }));
  rows.push_back(
      Row::Of<C>("GetCameraType", capture, [](C* c) { return c->GetCameraType(nullptr); }));
  rows.push_back(Row::Of<C>("GetTPSCGs", capture, [](C* c) { return c->GetTPSCGs(nullptr); }));
  rows.push_back(Row::Of<C>("GetContourRep", capture, [](C* c) {
    c->SetContourRep(new (nullptr, nullptr, 0) KRO2DCustomRep());
    return c->GetContourRep(nullptr);
  }));
  rows.push_back(
      Row::Of<C>("GetManageViewMode", capture, [](C* c) { return c->GetManageViewMode(nullptr); }));
  rows.push_back(Row::Of<C>("GetViewMode", capture, [](C* c) { return c->GetViewMode(nullptr); }));
  rows.push_back(
      Row::Of<C>("Capture GetAttributes", capture, [](C* c) { return c->GetAttributes(nullptr); }));
  rows.push_back(Row::Of<C>("GetHiddenPartInstAndBody", capture, [](C* c) {
    c->AddHiddenPartInstAndBody(new KRORawCollint());
    return c->GetHiddenPartInstAndBody(nullptr);
  }));
  rows.push_back(Row::Of<C>("GetVisiblePartInstAndBody", capture, [](C* c) {
    c->AddVisiblePartInstAndBody(new KRORawCollint());
    return c->GetVisiblePartInstAndBody(nullptr);
  }));
  rows.push_back(Row::Of<C>("GetActiveViewState", capture,
                            [](C* c) { return c->GetActiveViewState(nullptr); }));

  using G = KROITPSLightCG;
  const Make cg = &New<KROTPSLightCG>;
  rows.push_back(Row::Of<G>("CG GetTTRSLinkIds", cg, [](G* g) {
    g->AddTTRSLinkID(1);
    return g->GetTTRSLinkIds(nullptr);
  }));
  rows.push_back(Row::Of<G>("CG GetRepresentedTTRSLinkIds", cg, [](G* g) {
    g->AddRepresentedTTRSLinkID(1);
    return g->GetRepresentedTTRSLinkIds(nullptr);
  }));
  rows.push_back(
      Row::Of<G>("CG GetAttributes", cg, [](G* g) { return g->GetAttributes(nullptr); }));

  using T = KROITPSLightTTRS;
  rows.push_back(Row::Of<T>("GetGeomPathId", &New<KROTPSLightTTRS>, [](T* t) {
    t->AddGeomPathId(new KRORawCollint());
    return t->GetGeomPathId(nullptr);
  }));

  using S = KROITPSLightSet;
  const Make set = &New<KROTPSLightSet>;
  rows.push_back(Row::Of<S>("GetStdName", set, [](S* s) { return s->GetStdName(nullptr); }));
  rows.push_back(Row::Of<S>("GetTTRSList", set, [](S* s) { return s->GetTTRSList(nullptr); }));
  rows.push_back(
      Row::Of<S>("GetRefFrameList", set, [](S* s) { return s->GetRefFrameList(nullptr); }));
  rows.push_back(
      Row::Of<S>("GetCaptureList", set, [](S* s) { return s->GetCaptureList(nullptr); }));
  rows.push_back(Row::Of<S>("GetCGList", set, [](S* s) { return s->GetCGList(nullptr); }));
  rows.push_back(Row::Of<S>("GetFakeList", set, [](S* s) { return s->GetFakeList(nullptr); }));
  rows.push_back(Row::Of<S>("GetViewList", set, [](S* s) { return s->GetViewList(nullptr); }));
  rows.push_back(Row::Of<S>("GetRefProduct", set, [](S* s) {
    auto* handler = new TestHandler();
    s->SetRefProduct(handler);
    handler->Release(); // the set holds it now
    return s->GetRefProduct(nullptr);
  }));

  using B = KROITPSIdBroker;
  rows.push_back(
      Row::Of<B>("GetIdForObject", set, [](B* b) { return b->GetIdForObject(b, 1, nullptr); }));
  rows.push_back(Row::Of<B>("GetObjectFromId", set, [](B* b) {
    KROComPtr<KROITPSLightSet> owner;
    b->QueryInterface(IID_KROITPSLightSet, owner.Put());
    if (owner) owner->AddTPS(new KROTPSLightTPS()); // the set keeps the creation reference
    return b->GetObjectFromId(1, 1, nullptr);
  }));
  return rows;
}

class NullOutPointer : public KROTest {};

TEST_F(NullOutPointer, EveryGetterOfEveryLightInterfaceAnswersEFail) {
  for (const Row& row : AllRows()) {
    SCOPED_TRACE(row.label);
    KROBaseUnknown* object = row.make();
    void* itf = nullptr;
    ASSERT_EQ(object->QueryInterface(*row.iid, &itf), S_OK);
    object->Release(); // the interface keeps the object alive
    EXPECT_EQ(row.callAndRelease(itf), E_FAIL);
  }
}

} // namespace
