// TIEKROITPSLightView.h - forwards KROITPSLightView to an annotation view class.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightView.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightView : public KROTie<KROITPSLightView> {
public:
  HRESULT GetPlaneOrigin(double* x, double* y, double* z) override {
    return Target<Impl>()->GetPlaneOrigin(x, y, z);
  }
  HRESULT GetFirstPlaneDirect(double* x, double* y, double* z) override {
    return Target<Impl>()->GetFirstPlaneDirect(x, y, z);
  }
  HRESULT GetSecondPlaneDirect(double* x, double* y, double* z) override {
    return Target<Impl>()->GetSecondPlaneDirect(x, y, z);
  }
  HRESULT SetPlaneOrigin(double x, double y, double z) override {
    return Target<Impl>()->SetPlaneOrigin(x, y, z);
  }
  HRESULT SetFirstPlaneDirect(double x, double y, double z) override {
    return Target<Impl>()->SetFirstPlaneDirect(x, y, z);
  }
  HRESULT SetSecondPlaneDirect(double x, double y, double z) override {
    return Target<Impl>()->SetSecondPlaneDirect(x, y, z);
  }
  list<KROBaseUnknown>* GetTPSList() override { return Target<Impl>()->GetTPSList(); }
  HRESULT AddTPS(KROBaseUnknown* a) override { return Target<Impl>()->AddTPS(a); }
  HRESULT RemoveTPS(KROBaseUnknown* a) override { return Target<Impl>()->RemoveTPS(a); }
  HRESULT GetCapture(KROBaseUnknown** a) override { return Target<Impl>()->GetCapture(a); }
  HRESULT SetCapture(KROBaseUnknown* a) override { return Target<Impl>()->SetCapture(a); }
  HRESULT GetThumbnailData(_SEQUENCE_octet& a) override {
    return Target<Impl>()->GetThumbnailData(a);
  }
  HRESULT SetThumbnailData(const _SEQUENCE_octet& a) override {
    return Target<Impl>()->SetThumbnailData(a);
  }
  HRESULT GetSketchMngt(unsigned char* a) override { return Target<Impl>()->GetSketchMngt(a); }
  HRESULT SetSketchMngt(unsigned char a) override { return Target<Impl>()->SetSketchMngt(a); }
  HRESULT GetInverted(int* a) override { return Target<Impl>()->GetInverted(a); }
  HRESULT SetInverted(int a) override { return Target<Impl>()->SetInverted(a); }
  HRESULT GetSketchOrigin(double* x, double* y, double* z) override {
    return Target<Impl>()->GetSketchOrigin(x, y, z);
  }
  HRESULT SetSketchOrigin(double x, double y, double z) override {
    return Target<Impl>()->SetSketchOrigin(x, y, z);
  }
  HRESULT GetSketchNormal(double* x, double* y, double* z) override {
    return Target<Impl>()->GetSketchNormal(x, y, z);
  }
  HRESULT SetSketchNormal(double x, double y, double z) override {
    return Target<Impl>()->SetSketchNormal(x, y, z);
  }
  KRORawColldouble* GetPoints() override { return Target<Impl>()->GetPoints(); }
  HRESULT AddPoints(double x, double y, double z) override {
    return Target<Impl>()->AddPoints(x, y, z);
  }
  HRESULT GetHatchRep(KRORep** a) override { return Target<Impl>()->GetHatchRep(a); }
  HRESULT SetHatchRep(KRORep* a) override { return Target<Impl>()->SetHatchRep(a); }
};
