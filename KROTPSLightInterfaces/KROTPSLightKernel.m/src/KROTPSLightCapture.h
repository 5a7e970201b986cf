// KROTPSLightCapture.h - a saved viewing situation of an annotation set.
///
/// Holds borrowed pointers to the annotations, views and constructed geometries shown, the active
/// view, the camera, display settings, a thumbnail, a contour rep inside a bag the capture owns,
/// and the part instances and bodies hidden or visible in it.
/// \code
///   KROTPSLightCapture* capture = new KROTPSLightCapture();    // name "Capture", count 1
///   capture->AddTPSView(view);                                  // borrowed, uncounted
///   capture->SetActiveView(view);
///   capture->RemoveTPSView(otherFaceOfView);                    // clears the active view too
///   KRORawCollint* hidden = new KRORawCollint();
///   capture->AddHiddenPartInstAndBody(hidden);                  // the capture deletes it
///   capture->Release();
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROClassMacros.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROSequenceOctet.h"
#include "KROTPSHeldListsWatch.h"
#include "KROTPSHolder.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSLightValues.h"

class KROTPSLightCapture : public KROTPSLightAdapt,
                           public KROTPSHolder,
                           private KROTPSHeldListsWatch<KROTPSLightCapture> {
  KRO_DECLARE_CLASS
public:
  KROTPSLightCapture();
  ~KROTPSLightCapture() override;

  // The three lists: the capture's own list objects, items borrowed and never counted.
  virtual HRESULT GetTPSs(list<KROBaseUnknown>** tpss) const;
  virtual HRESULT AddTPS(KROBaseUnknown* tps);
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps);
  virtual HRESULT GetTPSViews(list<KROBaseUnknown>** views) const;
  virtual HRESULT AddTPSView(KROBaseUnknown* view);
  /// Clears the active view when `view` is the same component (through any of its interfaces),
  /// whether or not it is in the list, then removes its last occurrence from the list.
  virtual HRESULT RemoveTPSView(KROBaseUnknown* view);
  /// Counted for the caller; E_FAIL (with null written) while no view is active.
  virtual HRESULT GetActiveView(KROBaseUnknown** view) const;
  /// Borrowed, not counted; null clears it.
  virtual HRESULT SetActiveView(KROBaseUnknown* view);
  virtual HRESULT GetClippingPlane(int* value) const;
  virtual HRESULT SetClippingPlane(int value);
  virtual HRESULT GetOrigin(double* x, double* y, double* z) const { return origin_.Get(x, y, z); }
  virtual HRESULT SetOrigin(double x, double y, double z) { return origin_.Set(x, y, z); }
  virtual HRESULT GetDirection(double* x, double* y, double* z) const {
    return direction_.Get(x, y, z);
  }
  virtual HRESULT SetDirection(double x, double y, double z) { return direction_.Set(x, y, z); }
  virtual HRESULT GetZenith(double* x, double* y, double* z) const { return zenith_.Get(x, y, z); }
  virtual HRESULT SetZenith(double x, double y, double z) { return zenith_.Set(x, y, z); }
  virtual HRESULT GetTarget(double* x, double* y, double* z) const { return target_.Get(x, y, z); }
  virtual HRESULT SetTarget(double x, double y, double z) { return target_.Set(x, y, z); }
  virtual HRESULT GetCameraType(int* value) const;
  virtual HRESULT SetCameraType(int value);
  virtual HRESULT GetTPSCGs(list<KROBaseUnknown>** cgs) const;
  virtual HRESULT AddTPSCG(KROBaseUnknown* cg);
  virtual HRESULT RemoveTPSCG(KROBaseUnknown* cg);
  virtual HRESULT GetContourRep(KRORep** rep) const;
  /// The rep goes into a new contour bag that the capture owns; the previous bag is destroyed
  /// after the new one holds the rep, so setting the same rep again keeps it alive.
  virtual HRESULT SetContourRep(KRORep* rep);
  virtual HRESULT GetManageViewMode(unsigned char* value) const;
  virtual HRESULT SetManageViewMode(unsigned char value);
  virtual HRESULT GetViewMode(int* value) const;
  virtual HRESULT SetViewMode(int value);
  virtual HRESULT GetAttributes(KROWChar** text) const;
  virtual HRESULT SetAttributes(const KROWChar* text);
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) { return thumbnail_.Set(data); }
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) { return thumbnail_.Get(data); }
  /// Takes ownership of `ids` (allocated on its own with new) from this call on, also when the
  /// call fails for want of memory.
  virtual HRESULT AddHiddenPartInstAndBody(KRORawCollint* ids);
  /// Replaces the content of `out` with the capture's own collections, in order of addition.
  /// They stay the capture's: do not delete them or use them after the capture is gone.
  virtual HRESULT GetHiddenPartInstAndBody(KRORawCollPV* out) const;
  virtual HRESULT AddVisiblePartInstAndBody(KRORawCollint* ids);
  virtual HRESULT GetVisiblePartInstAndBody(KRORawCollPV* out) const;
  virtual HRESULT GetActiveViewState(int* value) const;
  virtual HRESULT SetActiveViewState(int value);

  /// Registers (or unregisters) what the annotation and constructed-geometry lists hold with the set that counts this one.
  void IndexHeld(KROTPSHolderIndex& index, bool add) override;
  /// What the set's removals call instead of RemoveTPS (annotations) or RemoveTPSCG
  /// (constructed geometries): that list keeps no occurrence of `x`.
  void DropEvery(KROBaseUnknown* x, KROTPSHeldRole role);
  /// The same for RemoveTPSView: the active view is cleared as RemoveTPSView clears it.
  void DropEveryView(KROBaseUnknown* view);
  bool HoldsAny() const override { return ::HoldsAny({tpss_, cgs_}); }

private:
  // The lists tell the holder index of the set that counts this object what they hold.
  friend class KROTPSHeldListsWatch<KROTPSLightCapture>;
  KROTPSHeldRole RoleOf(const list<KROBaseUnknown>& held) const;

  list<KROBaseUnknown>* tpss_ = nullptr;  // owned; items borrowed
  list<KROBaseUnknown>* views_ = nullptr; // owned; items borrowed
  list<KROBaseUnknown>* cgs_ = nullptr;   // owned; items borrowed
  KROBaseUnknown* activeView_ = nullptr;  // borrowed
  int clippingPlane_ = 0;
  int activeViewState_ = 0;
  KROTPSVector3 origin_;
  KROTPSVector3 direction_;
  KROTPSVector3 zenith_;
  KROTPSVector3 target_;
  int cameraType_ = 0;
  KRORep* contourRep_ = nullptr;      // borrowed; held by contourBag_
  KRO3DBagRep* contourBag_ = nullptr; // owned
  unsigned char manageViewMode_ = 0;
  int viewMode_ = 0;
  KROUnicodeString attributes_;
  KROTPSThumbnail thumbnail_;
  KRORawCollPV hidden_{0};  // owns each KRORawCollint* it holds
  KRORawCollPV visible_{0}; // owns each KRORawCollint* it holds
};
