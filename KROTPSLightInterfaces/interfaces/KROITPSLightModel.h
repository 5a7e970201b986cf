// KROITPSLightModel.h - an annotation of the set.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROTPSLightBehaviorType.h"
#include "KROTPSLightKernelExport.h"

class KRO2DRep;
class KROITPSLightView;

/// Id of KROITPSLightModel, answered by an annotation.
inline constexpr IID IID_KROITPSLightModel = {
    0x9120ACFC, 0xCC9A, 0x4BD8, {0xBB, 0x5F, 0x3B, 0xB9, 0xA7, 0x59, 0x46, 0xA1}};

/// An annotation. Lists handed out are the annotation's own: do not free them, their items are
/// borrowed. Link-id collections handed out are copies the caller deletes. Every getter gives
/// E_FAIL for a null out-pointer.
class KRO_KERNEL_API KROITPSLightModel : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightModel;
  static constexpr const char* kName = "KROITPSLightModel";
  ///@}

  ///@{
  /// The annotation's numeric value; 0 on a new annotation.
  virtual HRESULT GetValue(double* value) = 0;
  virtual HRESULT SetValue(double value) = 0;
  ///@}
  ///@{
  /// A value of the host's, stored unchanged.
  virtual HRESULT GetDefAnnot(int* defAnnot) = 0;
  virtual HRESULT SetDefAnnot(int defAnnot) = 0;
  ///@}
  /// Appends the index of a TTRS the annotation applies to (no check, duplicates kept).
  virtual HRESULT AddTTRSLinkID(int id) = 0;
  /// A new copy of the TTRS link ids, in order, which the caller deletes; E_FAIL before the
  /// first `AddTTRSLinkID`.
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids) = 0;
  ///@{
  /// The broker id (kind 4, from 1) of the annotation's reference frame; 0 for none.
  virtual HRESULT SetRefFrameLinkID(int id) = 0;
  virtual HRESULT GetRefFrameLinkID(int* id) = 0;
  ///@}
  /// The attributes text, as a new text. Annotation ids between colons (`"D:3:7:"`) name its
  /// basic dimensions.
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  /// Copies `text`; E_FAIL for null. A basic-dimension list already built stays as it was.
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
  /// The associated annotations; E_FAIL before the first `AddAssociatedTPS`.
  virtual HRESULT GetAssociatedTPS(list<KROBaseUnknown>** tpss) = 0;
  /// Appends `tps`, borrowed, to the associated annotations (one way; duplicates kept).
  virtual HRESULT AddAssociatedTPS(KROBaseUnknown* tps) = 0;
  /// Removes the last occurrence of `tps`; S_OK when absent, E_FAIL for null or no list.
  virtual HRESULT RemoveAssociatedTPS(KROBaseUnknown* tps) = 0;
  /// The order group, which may be null (S_OK).
  virtual HRESULT GetOrderGroup(list<KROBaseUnknown>** group) = 0;
  /// Takes ownership of `group`; every annotation needs a list of its own.
  virtual HRESULT SetOrderGroup(list<KROBaseUnknown>* group) = 0;
  /// Removes the last occurrence of `tps` from the order group; S_OK when absent, E_FAIL for
  /// null or no group.
  virtual HRESULT RemoveOrderGroupTPS(KROBaseUnknown* tps) = 0;
  ///@{
  /// The behaviour type, stored unchanged; KROTPSLightBehaviorUnset on a new annotation.
  virtual HRESULT GetBehaviorType(KROTPSLightBehaviorType* type) = 0;
  virtual HRESULT SetBehaviorType(KROTPSLightBehaviorType type) = 0;
  ///@}
  /// The annotation's view, counted for the caller; E_FAIL when none is set or it is gone.
  virtual HRESULT GetLightView(KROITPSLightView** view) = 0;
  /// Links the annotation to `view` weakly; the view's own list of annotations is not touched.
  /// E_FAIL for null.
  virtual HRESULT SetLightView(KROITPSLightView* view) = 0;
  /// Drops the view link if it names `view`; S_OK otherwise, E_FAIL for null or no link.
  virtual HRESULT RemoveView(KROBaseUnknown* view) = 0;
  /// The super type of the type code: 1 dimensions, 2 datums and reference frames, 3
  /// geometric tolerances, 4 to 7 the other families. S_OK, nothing written, for 0 or a code
  /// above 38.
  virtual HRESULT GetSuperType(unsigned short* superType) = 0;
  /// The frame the reference-frame link id names, counted for the caller (pass `frame`
  /// holding null); E_FAIL for link id 0, no set or an id the set cannot resolve.
  virtual HRESULT GetReferenceFrame(KROBaseUnknown** frame) = 0;
  /// Sets the reference-frame link id to 0 if it names `frame`; S_OK for any non-null frame.
  virtual HRESULT RemoveReferenceFrame(KROBaseUnknown* frame) = 0;
  /// The annotations the attributes text names, in its order. Built on the first call that
  /// finds a colon after the first character (E_FAIL before), then kept: a later text change
  /// is not seen. With no set reachable the first call fails and leaves an empty list.
  virtual HRESULT GetBasicDim(list<KROBaseUnknown>** dims) = 0;
  /// Removes the last occurrence of `dim` from the basic dimensions; S_OK when absent, E_FAIL
  /// for null or before the list is built.
  virtual HRESULT RemoveBasicDim(KROBaseUnknown* dim) = 0;
  /// The 2D rep, uncounted; E_FAIL, with null written, when none is bound.
  virtual HRESULT Get2DRep(KRO2DRep** rep) = 0;
  /// Binds `rep` in a 2D group rep of the annotation's own (the previous one is destroyed);
  /// E_FAIL for null.
  virtual HRESULT Set2DRep(KRO2DRep* rep) = 0;
};
