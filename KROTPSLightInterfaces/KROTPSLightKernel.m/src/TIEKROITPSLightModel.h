// TIEKROITPSLightModel.h - forwards KROITPSLightModel to the annotation.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightModel.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightModel : public KROTie<KROITPSLightModel> {
public:
  HRESULT GetValue(double* a) override { return Target<Impl>()->GetValue(a); }
  HRESULT SetValue(double a) override { return Target<Impl>()->SetValue(a); }
  HRESULT GetDefAnnot(int* a) override { return Target<Impl>()->GetDefAnnot(a); }
  HRESULT SetDefAnnot(int a) override { return Target<Impl>()->SetDefAnnot(a); }
  HRESULT AddTTRSLinkID(int a) override { return Target<Impl>()->AddTTRSLinkID(a); }
  HRESULT GetTTRSLinkIds(KRORawCollint** a) override { return Target<Impl>()->GetTTRSLinkIds(a); }
  HRESULT SetRefFrameLinkID(int a) override { return Target<Impl>()->SetRefFrameLinkID(a); }
  HRESULT GetRefFrameLinkID(int* a) override { return Target<Impl>()->GetRefFrameLinkID(a); }
  HRESULT GetAttributes(KROWChar** a) override { return Target<Impl>()->GetAttributes(a); }
  HRESULT SetAttributes(const KROWChar* a) override { return Target<Impl>()->SetAttributes(a); }
  HRESULT GetAssociatedTPS(list<KROBaseUnknown>** a) override {
    return Target<Impl>()->GetAssociatedTPS(a);
  }
  HRESULT AddAssociatedTPS(KROBaseUnknown* a) override {
    return Target<Impl>()->AddAssociatedTPS(a);
  }
  HRESULT RemoveAssociatedTPS(KROBaseUnknown* a) override {
    return Target<Impl>()->RemoveAssociatedTPS(a);
  }
  HRESULT GetOrderGroup(list<KROBaseUnknown>** a) override {
    return Target<Impl>()->GetOrderGroup(a);
  }
  HRESULT SetOrderGroup(list<KROBaseUnknown>* a) override {
    return Target<Impl>()->SetOrderGroup(a);
  }
  HRESULT RemoveOrderGroupTPS(KROBaseUnknown* a) override {
    return Target<Impl>()->RemoveOrderGroupTPS(a);
  }
  HRESULT GetBehaviorType(KROTPSLightBehaviorType* a) override {
    return Target<Impl>()->GetBehaviorType(a);
  }
  HRESULT SetBehaviorType(KROTPSLightBehaviorType a) override {
    return Target<Impl>()->SetBehaviorType(a);
  }
  HRESULT GetLightView(KROITPSLightView** a) override { return Target<Impl>()->GetLightView(a); }
  HRESULT SetLightView(KROITPSLightView* a) override { return Target<Impl>()->SetLightView(a); }
  HRESULT RemoveView(KROBaseUnknown* a) override { return Target<Impl>()->RemoveView(a); }
  HRESULT GetSuperType(unsigned short* a) override { return Target<Impl>()->GetSuperType(a); }
  HRESULT GetReferenceFrame(KROBaseUnknown** a) override {
    return Target<Impl>()->GetReferenceFrame(a);
  }
  HRESULT RemoveReferenceFrame(KROBaseUnknown* a) override {
    return Target<Impl>()->RemoveReferenceFrame(a);
  }
  HRESULT GetBasicDim(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetBasicDim(a); }
  HRESULT RemoveBasicDim(KROBaseUnknown* a) override { return Target<Impl>()->RemoveBasicDim(a); }
  HRESULT Get2DRep(KRO2DRep** a) override { return Target<Impl>()->Get2DRep(a); }
  HRESULT Set2DRep(KRO2DRep* a) override { return Target<Impl>()->Set2DRep(a); }
};
