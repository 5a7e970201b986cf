// KROTPSLightView.h - an annotation view: plane, sketch, points, hatching and its annotations.
///
/// The view's annotation list and the annotations' view links are kept apart: `AddTPS` and
/// `RemoveTPS` change the list only, and the builder of the model sets both sides.
/// \code
///   KROTPSLightView* view = new KROTPSLightView();   // name "View", count 1
///   view->AddTPS(annotation);                        // borrowed, uncounted
///   view->SetHatchRep(hatch);                        // hatch now belongs to the view's hatch bag
///   view->Release();                                 // destroys the hatch, never the annotation
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROClassMacros.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSLightValues.h"

class KROTPSLightView : public KROTPSLightAdapt {
  KRO_DECLARE_CLASS
public:
  KROTPSLightView();
  ~KROTPSLightView() override;

  virtual HRESULT GetPlaneOrigin(double* x, double* y, double* z) {
    return planeOrigin_.Get(x, y, z);
  }
  virtual HRESULT GetFirstPlaneDirect(double* x, double* y, double* z) {
    return firstPlaneDirect_.Get(x, y, z);
  }
  virtual HRESULT GetSecondPlaneDirect(double* x, double* y, double* z) {
    return secondPlaneDirect_.Get(x, y, z);
  }
  virtual HRESULT SetPlaneOrigin(double x, double y, double z) { return planeOrigin_.Set(x, y, z); }
  /// Stored as given: directions are not normalised.
  virtual HRESULT SetFirstPlaneDirect(double x, double y, double z) {
    return firstPlaneDirect_.Set(x, y, z);
  }
  virtual HRESULT SetSecondPlaneDirect(double x, double y, double z) {
    return secondPlaneDirect_.Set(x, y, z);
  }
  /// Appends without a reference and without a duplicate check.
  virtual HRESULT AddTPS(KROBaseUnknown* tps);
  /// Removes the last occurrence; an annotation not in the list is not an error.
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps);
  virtual HRESULT SetThumbnailData(const _SEQUENCE_octet& data) { return thumbnail_.Set(data); }
  virtual HRESULT GetThumbnailData(_SEQUENCE_octet& data) { return thumbnail_.Get(data); }
  virtual HRESULT GetSketchMngt(unsigned char* value);
  virtual HRESULT SetSketchMngt(unsigned char value);
  virtual HRESULT GetInverted(int* value);
  virtual HRESULT SetInverted(int value);
  virtual HRESULT GetSketchOrigin(double* x, double* y, double* z) {
    return sketchOrigin_.Get(x, y, z);
  }
  virtual HRESULT SetSketchOrigin(double x, double y, double z) {
    return sketchOrigin_.Set(x, y, z);
  }
  virtual HRESULT GetSketchNormal(double* x, double* y, double* z) {
    return sketchNormal_.Get(x, y, z);
  }
  virtual HRESULT SetSketchNormal(double x, double y, double z) {
    return sketchNormal_.Set(x, y, z);
  }
  /// The view's own collection, three entries per point; do not free it. Null only when it could
  /// not be allocated.
  virtual KRORawColldouble* GetPoints();
  virtual HRESULT AddPoints(double x, double y, double z);
  virtual HRESULT GetHatchRep(KRORep** rep);
  /// The rep goes into a new hatch bag that the view owns; the previous bag is destroyed after
  /// the new one holds the rep, so setting the same rep again keeps it alive.
  virtual HRESULT SetHatchRep(KRORep* rep);

  /// The view's own list, items uncounted; do not free it. Null only when it could not be
  /// allocated.
  list<KROBaseUnknown>* GetTPSList();
  /// The borrowed capture pointer; E_FAIL while none is linked.
  HRESULT GetCapture(KROBaseUnknown** capture);
  /// Borrows `capture` without counting it; the link cannot be cleared with null.
  HRESULT SetCapture(KROBaseUnknown* capture);

private:
  KROTPSVector3 planeOrigin_;
  KROTPSVector3 firstPlaneDirect_;
  KROTPSVector3 secondPlaneDirect_;
  list<KROBaseUnknown>* tpsList_ = nullptr; // owned; items borrowed
  KROBaseUnknown* capture_ = nullptr;       // borrowed
  KROTPSThumbnail thumbnail_;
  unsigned char sketchMngt_ = 0;
  int inverted_ = 0;
  KROTPSVector3 sketchOrigin_;
  KROTPSVector3 sketchNormal_;
  KRORawColldouble* points_ = nullptr; // owned
  KRORep* hatchRep_ = nullptr;         // borrowed; held by hatchBag_
  KRO3DBagRep* hatchBag_ = nullptr;    // owned
};
