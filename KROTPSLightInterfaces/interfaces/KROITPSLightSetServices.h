// KROITPSLightSetServices.h - rep binding, selection by type and the geometry-tag query.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSLightSetServices, answered by a set.
inline constexpr IID IID_KROITPSLightSetServices = {
    0xED79C2A9, 0x0611, 0x4345, {0xA3, 0xFE, 0xC1, 0x41, 0xCC, 0x05, 0x43, 0x4E}};

/// Result lists belong to the caller (pass a null list to get a new one); their items carry no
/// reference.
class KRO_KERNEL_API KROITPSLightSetServices : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightSetServices;
  static constexpr const char* kName = "KROITPSLightSetServices";
  ///@}

  /// Binds the reps of the document's sequential streams under `V4V5_FDT` to the annotations,
  /// views, constructed geometries and captures, by list position; a stream whose count differs
  /// from its list's size binds nothing. E_FAIL without a document or its root, or when none of
  /// the four containers is there.
  virtual HRESULT GenerateAllReps() = 0;
  /// Gives each annotation the 2D rep at its index in `V4V5_FDT/KROTPSTPS2DCont`; E_FAIL
  /// without a document, its root or that container.
  virtual HRESULT GenerateAll2DReps() = 0;
  /// Gives each capture the rep at its index in `V4V5_FDT/KROTPSCapCont`; E_FAIL without a
  /// document, its root or that container.
  virtual HRESULT GenerateAllCapturesReps() = 0;
  /// The set's annotations of type code `type`, in list order. S_OK with a new list when
  /// `*tpss` holds null; a list passed in is appended to, and the result is then E_FAIL.
  virtual HRESULT RetrieveLightTPSsType(unsigned short type, list<KROBaseUnknown>** tpss) = 0;
  /// Not provided: always E_FAIL, `*tpss` untouched.
  virtual HRESULT RetrieveLightTPSsSuperType(unsigned short superType,
                                             list<KROBaseUnknown>** tpss) = 0;
  /// The annotations, in list order, whose TTRS link ids name a TTRS with a geometry path ending
  /// in face tag `tag`: each once per (link id, such path) pair. Appended to `*tpss`, or to a new
  /// list when it holds null. E_FAIL, list untouched, when no path ends in `tag`. Answers are
  /// cached per tag until `FlushData` or an annotation leaves the set; a cached answer does not
  /// follow later link changes.
  virtual HRESULT GetListOfAnnotationsWithZORTag(int tag, list<KROBaseUnknown>** tpss) = 0;
};
