// TIEKROITPSLightCapture.h - forwards KROITPSLightCapture to a capture class.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightCapture.h"
#include "KROTie.h"

template <class Impl> class TIEKROITPSLightCapture : public KROTie<KROITPSLightCapture> {
public:
  HRESULT GetTPSs(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetTPSs(a); }
  HRESULT AddTPS(KROBaseUnknown* a) override { return Target<Impl>()->AddTPS(a); }
  HRESULT RemoveTPS(KROBaseUnknown* a) override { return Target<Impl>()->RemoveTPS(a); }
  HRESULT GetTPSViews(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetTPSViews(a); }
  HRESULT AddTPSView(KROBaseUnknown* a) override { return Target<Impl>()->AddTPSView(a); }
  HRESULT RemoveTPSView(KROBaseUnknown* a) override { return Target<Impl>()->RemoveTPSView(a); }
  HRESULT GetActiveView(KROBaseUnknown** a) override { return Target<Impl>()->GetActiveView(a); }
  HRESULT SetActiveView(KROBaseUnknown* a) override { return Target<Impl>()->SetActiveView(a); }
  HRESULT GetClippingPlane(int* a) override { return Target<Impl>()->GetClippingPlane(a); }
  HRESULT SetClippingPlane(int a) override { return Target<Impl>()->SetClippingPlane(a); }
  HRESULT GetOrigin(double* x, double* y, double* z) override {
    return Target<Impl>()->GetOrigin(x, y, z);
  }
  HRESULT SetOrigin(double x, double y, double z) override {
    return Target<Impl>()->SetOrigin(x, y, z);
  }
  HRESULT GetDirection(double* x, double* y, double* z) override {
    return Target<Impl>()->GetDirection(x, y, z);
  }
  HRESULT SetDirection(double x, double y, double z) override {
    return Target<Impl>()->SetDirection(x, y, z);
  }
  HRESULT GetZenith(double* x, double* y, double* z) override {
    return Target<Impl>()->GetZenith(x, y, z);
  }
  HRESULT SetZenith(double x, double y, double z) override {
    return Target<Impl>()->SetZenith(x, y, z);
  }
  HRESULT GetTarget(double* x, double* y, double* z) override {
    return Target<Impl>()->GetTarget(x, y, z);
  }
  HRESULT SetTarget(double x, double y, double z) override {
    return Target<Impl>()->SetTarget(x, y, z);
  }
  HRESULT GetCameraType(int* a) override { return Target<Impl>()->GetCameraType(a); }
  HRESULT SetCameraType(int a) override { return Target<Impl>()->SetCameraType(a); }
  HRESULT GetTPSCGs(list<KROBaseUnknown>** a) override { return Target<Impl>()->GetTPSCGs(a); }
  HRESULT AddTPSCG(KROBaseUnknown* a) override { return Target<Impl>()->AddTPSCG(a); }
  HRESULT RemoveTPSCG(KROBaseUnknown* a) override { return Target<Impl>()->RemoveTPSCG(a); }
  HRESULT GetContourRep(KRORep** a) override { return Target<Impl>()->GetContourRep(a); }
  HRESULT SetContourRep(KRORep* a) override { return Target<Impl>()->SetContourRep(a); }
  HRESULT GetManageViewMode(unsigned char* a) override {
    return Target<Impl>()->GetManageViewMode(a);
  }
  HRESULT SetManageViewMode(unsigned char a) override {
    return Target<Impl>()->SetManageViewMode(a);
  }
  HRESULT GetViewMode(int* a) override { return Target<Impl>()->GetViewMode(a); }
  HRESULT SetViewMode(int a) override { return Target<Impl>()->SetViewMode(a); }
  HRESULT GetThumbnailData(_SEQUENCE_octet& a) override {
    return Target<Impl>()->GetThumbnailData(a);
  }
  HRESULT SetThumbnailData(const _SEQUENCE_octet& a) override {
    return Target<Impl>()->SetThumbnailData(a);
  }
  HRESULT GetAttributes(KROWChar** a) override { return Target<Impl>()->GetAttributes(a); }
  HRESULT SetAttributes(const KROWChar* a) override { return Target<Impl>()->SetAttributes(a); }
  HRESULT AddHiddenPartInstAndBody(KRORawCollint* a) override {
    return Target<Impl>()->AddHiddenPartInstAndBody(a);
  }
  HRESULT GetHiddenPartInstAndBody(KRORawCollPV* a) override {
    return Target<Impl>()->GetHiddenPartInstAndBody(a);
  }
  HRESULT AddVisiblePartInstAndBody(KRORawCollint* a) override {
    return Target<Impl>()->AddVisiblePartInstAndBody(a);
  }
  HRESULT GetVisiblePartInstAndBody(KRORawCollPV* a) override {
    return Target<Impl>()->GetVisiblePartInstAndBody(a);
  }
  HRESULT GetActiveViewState(int* a) override { return Target<Impl>()->GetActiveViewState(a); }
  HRESULT SetActiveViewState(int a) override { return Target<Impl>()->SetActiveViewState(a); }
};
