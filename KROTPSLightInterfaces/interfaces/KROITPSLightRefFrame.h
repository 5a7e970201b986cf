// KROITPSLightRefFrame.h - a reference frame of the set.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROTPSLightKernelExport.h"

/// Id of KROITPSLightRefFrame, answered by a reference frame.
inline constexpr IID IID_KROITPSLightRefFrame = {
    0x98FC1100, 0x1F48, 0x4787, {0x94, 0xCC, 0x7A, 0x4B, 0x7C, 0xA3, 0xFE, 0xD6}};

/// A reference frame (datum system): its datums, TTRS link ids and attributes. Lists handed
/// out are its own and borrow their items; every getter gives E_FAIL for a null out-pointer.
class KRO_KERNEL_API KROITPSLightRefFrame : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightRefFrame;
  static constexpr const char* kName = "KROITPSLightRefFrame";
  ///@}

  /// The datum annotations, in order.
  virtual HRESULT GetAllDatumsSimple(list<KROBaseUnknown>** datums) = 0;
  /// Appends `datum`, borrowed (duplicates kept); E_FAIL for null.
  virtual HRESULT AddDatumSimple(KROBaseUnknown* datum) = 0;
  /// Removes the last occurrence of `datum`; S_OK when absent, E_FAIL for null.
  virtual HRESULT RemoveDatumSimple(KROBaseUnknown* datum) = 0;
  /// Appends a TTRS index (no check, duplicates kept).
  virtual HRESULT AddTTRSLinkID(int id) = 0;
  /// A new copy of the TTRS link ids, which the caller deletes; E_FAIL before the first add.
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids) = 0;
  /// The attributes text, as a new text the caller frees. Annotation ids between colons name
  /// the frame's basic dimensions.
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  /// Copies `text`; E_FAIL for null. A basic-dimension list already built stays as it was.
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
  /// Always 2 (datums).
  virtual HRESULT GetSuperType(unsigned short* superType) = 0;
  /// The annotations the attributes text names, built on the first call that finds a colon
  /// after the first character (E_FAIL before), then kept as it is. With no set reachable the
  /// first call fails and leaves an empty list.
  virtual HRESULT GetBasicDim(list<KROBaseUnknown>** dims) = 0;
  /// Removes the last occurrence of `dim` from the basic dimensions; S_OK when absent, E_FAIL
  /// for null or before the list is built.
  virtual HRESULT RemoveBasiDim(KROBaseUnknown* dim) = 0;
};
