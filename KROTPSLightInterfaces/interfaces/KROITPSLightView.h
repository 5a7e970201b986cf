// KROITPSLightView.h - an annotation view.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightKernelExport.h"

class KRORep;

inline constexpr IID IID_KROITPSLightView = {
    0x75C87788, 0x2A96, 0x439D, {0xA4, 0xAA, 0xEE, 0xCC, 0xC9, 0xFB, 0xF0, 0x36}};

class KRO_KERNEL_API KROITPSLightView : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightView;
  static constexpr const char* kName = "KROITPSLightView";

  virtual HRESULT GetPlaneOrigin(double* x, double* y, double* z) = 0;
  virtual HRESULT GetFirstPlaneDirect(double* x, double* y, double* z) = 0;
  virtual HRESULT GetSecondPlaneDirect(double* x, double* y, double* z) = 0;
  virtual HRESULT SetPlaneOrigin(double x, double y, double z) = 0;
  virtual HRESULT SetFirstPlaneDirect(double x, double y, double z) = 0;
  virtual HRESULT SetSecondPlaneDirect(double x, double y, double z) = 0;
  /// The view's own list of annotations; do not free it.
  virtual list<KROBaseUnknown>* GetTPSList() = 0;
  virtual HRESULT AddTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT GetCapture(KROBaseUnknown** capture) = 0;
  virtual HRESULT SetCapture(KROBaseUnknown* capture) = 0;
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) = 0;
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) = 0;
  virtual HRESULT GetSketchMngt(unsigned char* value) = 0;
  virtual HRESULT SetSketchMngt(unsigned char value) = 0;
  virtual HRESULT GetInverted(int* value) = 0;
  virtual HRESULT SetInverted(int value) = 0;
  virtual HRESULT GetSketchOrigin(double* x, double* y, double* z) = 0;
  virtual HRESULT SetSketchOrigin(double x, double y, double z) = 0;
  virtual HRESULT GetSketchNormal(double* x, double* y, double* z) = 0;
  virtual HRESULT SetSketchNormal(double x, double y, double z) = 0;
  /// The view's own points, three entries per point; do not free it.
  virtual KRORawColldouble* GetPoints() = 0;
  virtual HRESULT AddPoints(double x, double y, double z) = 0;
  virtual HRESULT GetHatchRep(KRORep** rep) = 0;
  virtual HRESULT SetHatchRep(KRORep* rep) = 0;
};
