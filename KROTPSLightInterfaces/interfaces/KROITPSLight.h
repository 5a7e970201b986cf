// KROITPSLight.h - the face every light object, TTRS and the set extension share.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROTPSLightKernelExport.h"

class KRORep;
class KROITPSLightSet;

/// Id of KROITPSLight, answered by every light object, a TTRS and a set.
inline constexpr IID IID_KROITPSLight = {
    0xE0C56DEF, 0x9204, 0x4DD2, {0x8E, 0x71, 0x54, 0xFA, 0xB0, 0xEE, 0x91, 0xE3}};

/// The face every light object shares. Texts come back as new arrays the caller frees with
/// delete[]; reps are never counted. Every getter gives E_FAIL for a null out-pointer.
class KRO_KERNEL_API KROITPSLight : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLight;
  static constexpr const char* kName = "KROITPSLight";
  ///@}

  /// The name, as a new text.
  virtual HRESULT GetName(KROWChar** name) = 0;
  /// Copies `name`; E_FAIL for null.
  virtual HRESULT SetName(const KROWChar* name) = 0;
  ///@{
  /// The 16-bit type code; an annotation's super type follows from it.
  virtual HRESULT GetType(unsigned short* type) = 0;
  virtual HRESULT SetType(unsigned short type) = 0;
  ///@}
  /// The bound rep, uncounted; E_FAIL, with null written, when none is bound.
  virtual HRESULT GetRep(KRORep** rep) = 0;
  /// Binds `rep`. A light object keeps it in a group rep of its own (destroying the one it
  /// had); a TTRS only borrows it, and null unbinds it.
  virtual HRESULT SetRep(KRORep* rep) = 0;
  ///@{
  /// The index the model's builder gives: annotations name a TTRS by it (TTRS link ids), and
  /// a capture's rep and an annotation's 2D rep are found by it.
  virtual HRESULT GetIndex(int* index) = 0;
  virtual HRESULT SetIndex(int index) = 0;
  ///@}
  /// The owning set, counted for the caller; E_FAIL before `SetLightSet` and once the set is gone.
  /// A set answers its own KROITPSLightSet.
  virtual HRESULT GetLightSet(KROITPSLightSet** set) = 0;
  /// Links the object to a set without counting it; E_FAIL for null, and always on a set.
  virtual HRESULT SetLightSet(KROITPSLightSet* set) = 0;
  ///@{
  /// A status word, stored unchanged.
  virtual HRESULT GetStatus(unsigned short* status) = 0;
  virtual HRESULT SetStatus(unsigned short status) = 0;
  ///@}
  /// The UUID, as a new text; empty on a new object. A TTRS has none: S_OK, nothing written.
  virtual HRESULT GetUUId(KROWChar** uuid) = 0;
  /// Copies `uuid`; E_FAIL for null. A TTRS ignores it.
  virtual HRESULT SetUUId(const KROWChar* uuid) = 0;
};
