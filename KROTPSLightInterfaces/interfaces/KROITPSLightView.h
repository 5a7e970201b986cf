// KROITPSLightView.h - an annotation view.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightKernelExport.h"

class KRORep;

/// Id of KROITPSLightView, answered by an annotation view.
inline constexpr IID IID_KROITPSLightView = {
    0x75C87788, 0x2A96, 0x439D, {0xA4, 0xAA, 0xEE, 0xCC, 0xC9, 0xFB, 0xF0, 0x36}};

/// An annotation view: its plane, sketch data, points, hatching, thumbnail, annotations and
/// capture. Coordinate getters give E_FAIL, writing nothing, when any out-pointer is null;
/// setters store values unchanged (directions are not normalised).
class KRO_KERNEL_API KROITPSLightView : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightView;
  static constexpr const char* kName = "KROITPSLightView";
  ///@}

  ///@{
  /// The view plane: its origin and two in-plane directions.
  virtual HRESULT GetPlaneOrigin(double* x, double* y, double* z) = 0;
  virtual HRESULT GetFirstPlaneDirect(double* x, double* y, double* z) = 0;
  virtual HRESULT GetSecondPlaneDirect(double* x, double* y, double* z) = 0;
  virtual HRESULT SetPlaneOrigin(double x, double y, double z) = 0;
  virtual HRESULT SetFirstPlaneDirect(double x, double y, double z) = 0;
  virtual HRESULT SetSecondPlaneDirect(double x, double y, double z) = 0;
  ///@}
  /// The view's own list of annotations; do not free it.
  virtual list<KROBaseUnknown>* GetTPSList() = 0;
  /// Appends `tps`, borrowed (duplicates kept); E_FAIL for null.
  virtual HRESULT AddTPS(KROBaseUnknown* tps) = 0;
  /// Removes the last occurrence of `tps`; S_OK when absent, E_FAIL for null.
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps) = 0;
  /// The capture the view belongs to, borrowed; E_FAIL when none is set.
  virtual HRESULT GetCapture(KROBaseUnknown** capture) = 0;
  /// Links the view to `capture`, borrowed: the caller keeps it alive while the view may hand it
  /// out, since removing it from the set leaves the link. E_FAIL for null.
  virtual HRESULT SetCapture(KROBaseUnknown* capture) = 0;
  ///@{
  /// The thumbnail image, copied out and in.
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) = 0;
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) = 0;
  ///@}
  ///@{
  /// The sketch management value, stored unchanged.
  virtual HRESULT GetSketchMngt(unsigned char* value) = 0;
  virtual HRESULT SetSketchMngt(unsigned char value) = 0;
  ///@}
  ///@{
  /// The inverted flag, stored unchanged.
  virtual HRESULT GetInverted(int* value) = 0;
  virtual HRESULT SetInverted(int value) = 0;
  ///@}
  ///@{
  /// The sketch origin and normal.
  virtual HRESULT GetSketchOrigin(double* x, double* y, double* z) = 0;
  virtual HRESULT SetSketchOrigin(double x, double y, double z) = 0;
  virtual HRESULT GetSketchNormal(double* x, double* y, double* z) = 0;
  virtual HRESULT SetSketchNormal(double x, double y, double z) = 0;
  ///@}
  /// The view's own points, three entries per point; do not free it.
  virtual KRORawColldouble* GetPoints() = 0;
  /// Appends the point (x, y, z) to `GetPoints`.
  virtual HRESULT AddPoints(double x, double y, double z) = 0;
  /// The hatching rep, uncounted; E_FAIL, with null written, when none is bound.
  virtual HRESULT GetHatchRep(KRORep** rep) = 0;
  /// Binds `rep` in a group rep of the view's own (the previous one is destroyed); E_FAIL for
  /// null.
  virtual HRESULT SetHatchRep(KRORep* rep) = 0;
};
