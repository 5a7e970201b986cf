// KROITPSLightCapture.h - a saved viewing situation.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightKernelExport.h"

class KRORep;

inline constexpr IID IID_KROITPSLightCapture = {
    0xCDAACB46, 0xBA31, 0x4306, {0x8F, 0x52, 0x35, 0x07, 0x37, 0xCE, 0xEE, 0x1F}};

class KRO_KERNEL_API KROITPSLightCapture : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightCapture;
  static constexpr const char* kName = "KROITPSLightCapture";

  virtual HRESULT GetTPSs(list<KROBaseUnknown>** tpss) = 0;
  virtual HRESULT AddTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT GetTPSViews(list<KROBaseUnknown>** views) = 0;
  virtual HRESULT AddTPSView(KROBaseUnknown* view) = 0;
  virtual HRESULT RemoveTPSView(KROBaseUnknown* view) = 0;
  virtual HRESULT GetActiveView(KROBaseUnknown** view) = 0;
  virtual HRESULT SetActiveView(KROBaseUnknown* view) = 0;
  virtual HRESULT GetClippingPlane(int* value) = 0;
  virtual HRESULT SetClippingPlane(int value) = 0;
  virtual HRESULT GetOrigin(double* x, double* y, double* z) = 0;
  virtual HRESULT SetOrigin(double x, double y, double z) = 0;
  virtual HRESULT GetDirection(double* x, double* y, double* z) = 0;
  virtual HRESULT SetDirection(double x, double y, double z) = 0;
  virtual HRESULT GetZenith(double* x, double* y, double* z) = 0;
  virtual HRESULT SetZenith(double x, double y, double z) = 0;
  virtual HRESULT GetTarget(double* x, double* y, double* z) = 0;
  virtual HRESULT SetTarget(double x, double y, double z) = 0;
  virtual HRESULT GetCameraType(int* value) = 0;
  virtual HRESULT SetCameraType(int value) = 0;
  virtual HRESULT GetTPSCGs(list<KROBaseUnknown>** cgs) = 0;
  virtual HRESULT AddTPSCG(KROBaseUnknown* cg) = 0;
  virtual HRESULT RemoveTPSCG(KROBaseUnknown* cg) = 0;
  virtual HRESULT GetContourRep(KRORep** rep) = 0;
  virtual HRESULT SetContourRep(KRORep* rep) = 0;
  virtual HRESULT GetManageViewMode(unsigned char* value) = 0;
  virtual HRESULT SetManageViewMode(unsigned char value) = 0;
  virtual HRESULT GetViewMode(int* value) = 0;
  virtual HRESULT SetViewMode(int value) = 0;
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) = 0;
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) = 0;
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
  /// Takes ownership of `ids`, which must come from its own `new`.
  virtual HRESULT AddHiddenPartInstAndBody(KRORawCollint* ids) = 0;
  /// Fills `out` with the capture's own collections; do not delete them.
  virtual HRESULT GetHiddenPartInstAndBody(KRORawCollPV* out) = 0;
  virtual HRESULT AddVisiblePartInstAndBody(KRORawCollint* ids) = 0;
  virtual HRESULT GetVisiblePartInstAndBody(KRORawCollPV* out) = 0;
  virtual HRESULT GetActiveViewState(int* value) = 0;
  virtual HRESULT SetActiveViewState(int value) = 0;
};
