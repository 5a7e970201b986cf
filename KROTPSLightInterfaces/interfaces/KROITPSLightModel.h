// KROITPSLightModel.h - an annotation of the set.
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROTPSLightBehaviorType.h"
#include "KROTPSLightKernelExport.h"

class KRO2DRep;
class KROITPSLightView;

inline constexpr IID IID_KROITPSLightModel = {
    0x9120ACFC, 0xCC9A, 0x4BD8, {0xBB, 0x5F, 0x3B, 0xB9, 0xA7, 0x59, 0x46, 0xA1}};

/// Lists handed out are the annotation's own: do not free them. Link-id collections handed out
/// are copies the caller deletes.
class KRO_KERNEL_API KROITPSLightModel : public KROBaseUnknown {
public:
  static constexpr const IID& kIID = IID_KROITPSLightModel;
  static constexpr const char* kName = "KROITPSLightModel";

  virtual HRESULT GetValue(double* value) = 0;
  virtual HRESULT SetValue(double value) = 0;
  virtual HRESULT GetDefAnnot(int* defAnnot) = 0;
  virtual HRESULT SetDefAnnot(int defAnnot) = 0;
  virtual HRESULT AddTTRSLinkID(int id) = 0;
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids) = 0;
  virtual HRESULT SetRefFrameLinkID(int id) = 0;
  virtual HRESULT GetRefFrameLinkID(int* id) = 0;
  virtual HRESULT GetAttributes(KROWChar** text) = 0;
  virtual HRESULT SetAttributes(const KROWChar* text) = 0;
  virtual HRESULT GetAssociatedTPS(list<KROBaseUnknown>** tpss) = 0;
  virtual HRESULT AddAssociatedTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT RemoveAssociatedTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT GetOrderGroup(list<KROBaseUnknown>** group) = 0;
  /// Takes ownership of `group`; every annotation needs a list of its own.
  virtual HRESULT SetOrderGroup(list<KROBaseUnknown>* group) = 0;
  virtual HRESULT RemoveOrderGroupTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT GetBehaviorType(KROTPSLightBehaviorType* type) = 0;
  virtual HRESULT SetBehaviorType(KROTPSLightBehaviorType type) = 0;
  virtual HRESULT GetLightView(KROITPSLightView** view) = 0;
  virtual HRESULT SetLightView(KROITPSLightView* view) = 0;
  virtual HRESULT RemoveView(KROBaseUnknown* view) = 0;
  virtual HRESULT GetSuperType(unsigned short* superType) = 0;
  virtual HRESULT GetReferenceFrame(KROBaseUnknown** frame) = 0;
  virtual HRESULT RemoveReferenceFrame(KROBaseUnknown* frame) = 0;
  virtual HRESULT GetBasicDim(list<KROBaseUnknown>** dims) = 0;
  virtual HRESULT RemoveBasicDim(KROBaseUnknown* dim) = 0;
  virtual HRESULT Get2DRep(KRO2DRep** rep) = 0;
  virtual HRESULT Set2DRep(KRO2DRep* rep) = 0;
};
