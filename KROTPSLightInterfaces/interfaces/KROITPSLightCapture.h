// KROITPSLightCapture.h - a saved viewing situation.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightKernelExport.h"

class KRORep;

/// Id of KROITPSLightCapture, answered by a capture.
inline constexpr IID IID_KROITPSLightCapture = {
    0xCDAACB46, 0xBA31, 0x4306, {0x8F, 0x52, 0x35, 0x07, 0x37, 0xCE, 0xEE, 0x1F}};

/// A capture: a saved camera and display state with the annotations, views and constructed
/// geometries it shows. Its lists are its own and borrow their items; adding checks nothing
/// but null, removing takes out the last occurrence (S_OK when absent). Every getter gives
/// E_FAIL for a null out-pointer; setters store values unchanged.
class KRO_KERNEL_API KROITPSLightCapture : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightCapture;
  static constexpr const char* kName = "KROITPSLightCapture";
  ///@}

  ///@{
  /// The annotations it shows.
  virtual HRESULT GetTPSs(list<KROBaseUnknown>** tpss) = 0;
  virtual HRESULT AddTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps) = 0;
  ///@}
  ///@{
  /// The views it shows. Removing the active view also clears the active view, listed or not.
  virtual HRESULT GetTPSViews(list<KROBaseUnknown>** views) = 0;
  virtual HRESULT AddTPSView(KROBaseUnknown* view) = 0;
  virtual HRESULT RemoveTPSView(KROBaseUnknown* view) = 0;
  ///@}
  /// The active view, counted for the caller; E_FAIL, with null written, when none is set.
  virtual HRESULT GetActiveView(KROBaseUnknown** view) = 0;
  /// Stores the active view, borrowed; null clears it, and it need not be in `GetTPSViews`.
  virtual HRESULT SetActiveView(KROBaseUnknown* view) = 0;
  ///@{
  /// The clipping plane, stored unchanged.
  virtual HRESULT GetClippingPlane(int* value) = 0;
  virtual HRESULT SetClippingPlane(int value) = 0;
  ///@}
  ///@{
  /// The camera: origin, direction, zenith and target. Getters give E_FAIL, writing nothing,
  /// when any out-pointer is null.
  virtual HRESULT GetOrigin(double* x, double* y, double* z) = 0;
  virtual HRESULT SetOrigin(double x, double y, double z) = 0;
  virtual HRESULT GetDirection(double* x, double* y, double* z) = 0;
  virtual HRESULT SetDirection(double x, double y, double z) = 0;
  virtual HRESULT GetZenith(double* x, double* y, double* z) = 0;
  virtual HRESULT SetZenith(double x, double y, double z) = 0;
  virtual HRESULT GetTarget(double* x, double* y, double* z) = 0;
  virtual HRESULT SetTarget(double x, double y, double z) = 0;
  ///@}
  ///@{
  /// The camera type, stored unchanged.
  virtual HRESULT GetCameraType(int* value) = 0;
  virtual HRESULT SetCameraType(int value) = 0;
  ///@}
  ///@{
  /// The constructed geometries it shows.
  virtual HRESULT GetTPSCGs(list<KROBaseUnknown>** cgs) = 0;
  virtual HRESULT AddTPSCG(KROBaseUnknown* cg) = 0;
  virtual HRESULT RemoveTPSCG(KROBaseUnknown* cg) = 0;
  ///@}
  /// The contour rep, uncounted; E_FAIL, with null written, when none is bound.
  virtual HRESULT GetContourRep(KRORep** rep) = 0;
  /// Binds `rep` in a group rep of the capture's own (the previous one is destroyed); E_FAIL
  /// for null.
  virtual HRESULT SetContourRep(KRORep* rep) = 0;
  ///@{
  /// The manage-view mode, stored unchanged.
  virtual HRESULT GetManageViewMode(unsigned char* value) = 0;
  virtual HRESULT SetManageViewMode(unsigned char value) = 0;
  ///@}
  ///@{
  /// The view mode, stored unchanged.
  virtual HRESULT GetViewMode(int* value) = 0;
  virtual HRESULT SetViewMode(int value) = 0;
  ///@}
  ///@{
  /// The thumbnail image, copied out and in.
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) = 0;
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) = 0;
  ///@}
  /// The attributes text, as a new text the caller frees.
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  /// Copies `text`; E_FAIL for null.
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
  /// Appends a collection naming a hidden part instance and body. Takes ownership of `ids`,
  /// which must come from its own `new`; E_FAIL for null.
  virtual HRESULT AddHiddenPartInstAndBody(KRORawCollint* ids) = 0;
  /// Replaces the content of `out` with the capture's own collections, in order; do not delete
  /// them. E_FAIL for null.
  virtual HRESULT GetHiddenPartInstAndBody(KRORawCollPV* out) = 0;
  /// As `AddHiddenPartInstAndBody`, for the visible part instances and bodies.
  virtual HRESULT AddVisiblePartInstAndBody(KRORawCollint* ids) = 0;
  /// As `GetHiddenPartInstAndBody`, for the visible ones.
  virtual HRESULT GetVisiblePartInstAndBody(KRORawCollPV* out) = 0;
  ///@{
  /// The active view state, stored unchanged.
  virtual HRESULT GetActiveViewState(int* value) = 0;
  virtual HRESULT SetActiveViewState(int value) = 0;
  ///@}
};
