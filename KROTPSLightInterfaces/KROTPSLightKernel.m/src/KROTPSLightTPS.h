// KROTPSLightTPS.h - an annotation of the set.
///
/// Links to other model objects come in three forms:
/// - integer link ids (TTRS indexes, the reference frame's id in the set), resolved when asked;
/// - weak links (the view and, from the base, the set), empty once their target is gone;
/// - borrowed pointers in lists (associated annotations, order group, basic dimensions), which
///   the set's removal cascades drop when their target leaves the set.
/// \code
///   KROComPtr<KROITPSLightModel> tps = ...;
///   tps->SetAttributes(u"D:3:7:");
///   list<KROBaseUnknown>* dims = nullptr;
///   tps->GetBasicDim(&dims);           // annotations 3 and 7 of the set, built once, then cached
///   KROBaseUnknown* frame = nullptr;
///   if (SUCCEEDED(tps->GetReferenceFrame(&frame))) frame->Release();
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROClassMacros.h"
#include "KROLinkIds.h"
#include "KROList.h"
#include "KRORawColl.h"
#include "KROTPSHeldListsWatch.h"
#include "KROTPSHolder.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSLightBehaviorType.h"

class KRO2DRep;
class KRO2DBagRep;
class KROITPSLightView;

class KROTPSLightTPS : public KROTPSLightAdapt,
                       public KROTPSHolder,
                       private KROTPSHeldListsWatch<KROTPSLightTPS> {
  KRO_DECLARE_CLASS
public:
  KROTPSLightTPS();
  ~KROTPSLightTPS() override;

  virtual HRESULT GetValue(double* value);
  virtual HRESULT SetValue(double value);
  /// Writes nothing, with S_OK, for type 0 and types above 38.
  virtual HRESULT GetSuperType(unsigned short* superType);
  virtual HRESULT GetDefAnnot(int* defAnnot);
  virtual HRESULT SetDefAnnot(int defAnnot);
  virtual HRESULT AddTTRSLinkID(int id);
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids);
  virtual HRESULT SetRefFrameLinkID(int id);
  virtual HRESULT GetRefFrameLinkID(int* id);
  virtual HRESULT GetAttributes(KROWChar** text);
  /// Leaves an already built basic-dimension list as it is.
  virtual HRESULT SetAttributes(const KROWChar* text);
  virtual HRESULT GetAssociatedTPS(list<KROBaseUnknown>** tpss);
  virtual HRESULT AddAssociatedTPS(KROBaseUnknown* tps);
  virtual HRESULT RemoveAssociatedTPS(KROBaseUnknown* tps);
  /// S_OK with null while no group was set.
  virtual HRESULT GetOrderGroup(list<KROBaseUnknown>** group);
  /// Takes ownership of `group` (its storage; items stay borrowed) and frees the group held so
  /// far. Handing back the group already held, or one of the annotation's own lists, changes
  /// nothing. A list that another annotation holds must not be handed over: both would free it.
  virtual HRESULT SetOrderGroup(list<KROBaseUnknown>* group);
  virtual HRESULT RemoveOrderGroupTPS(KROBaseUnknown* tps);
  virtual HRESULT GetBehaviorType(KROTPSLightBehaviorType* type);
  virtual HRESULT SetBehaviorType(KROTPSLightBehaviorType type);
  virtual HRESULT GetLightView(KROITPSLightView** view);
  /// Weak link: the view's own annotation list is not touched.
  virtual HRESULT SetLightView(KROITPSLightView* view);
  virtual HRESULT RemoveView(KROBaseUnknown* view);
  /// Pass `frame` holding null; on success it carries a reference for the caller.
  virtual HRESULT GetReferenceFrame(KROBaseUnknown** frame);
  virtual HRESULT RemoveReferenceFrame(KROBaseUnknown* frame);
  virtual HRESULT GetBasicDim(list<KROBaseUnknown>** dims);
  virtual HRESULT RemoveBasicDim(KROBaseUnknown* dim);
  virtual HRESULT Get2DRep(KRO2DRep** rep);
  /// The annotation owns the rep from then on, as for SetRep.
  virtual HRESULT Set2DRep(KRO2DRep* rep);

  // What the set's removals may skip an annotation for: the matching removal operation would
  // answer E_FAIL (or find nothing) and change nothing.
  /// No associated, order-group or basic-dimension list.
  bool HoldsNoAnnotationLists() const { return !associated_ && !orderGroup_ && !basicDims_; }
  /// No view link, or its view is gone.
  bool HoldsNoViewLink() const { return !viewLink_; }
  bool HoldsNoRefFrameLink() const { return refFrameLinkId_ == 0; }
  /// The TTRS link ids themselves (GetTTRSLinkIds hands out copies); null while none was added.
  const KROLinkIds& TTRSLinkIds() const { return ttrsLinkIds_; }

  /// What the set's removals call for `role` (annotation lists or view link), instead of the
  /// matching removal operations: none of the lists keeps an occurrence of `x`.
  void DropEvery(KROBaseUnknown* x, KROTPSHeldRole role);
  /// Registers (or unregisters) what the three lists hold with the set that counts this one.
  void IndexHeld(KROTPSHolderIndex& index, bool add) override;
  bool HoldsAny() const override {
    return ::HoldsAny({associated_, orderGroup_, basicDims_}) || viewKey_ != nullptr ||
           refFrameKey_ != 0;
  }

private:
  // The lists tell the holder index of the set that counts this object what they hold.
  friend class KROTPSHeldListsWatch<KROTPSLightTPS>;
  KROTPSHeldRole RoleOf(const list<KROBaseUnknown>&) const {
    return KROTPSHeldRole::AnnotationLists;
  }
  /// Keeps the holder index's key of the view link in step with the link.
  void SetViewKey(const KROBaseUnknown* key);
  /// The same for the reference-frame link id.
  void SetRefFrameKey(int id);

  // The 2D rep first: binding a model touches it on every annotation.
  KRO2DRep* rep2D_ = nullptr;           // borrowed; held by wrapperBag2D_
  KRO2DBagRep* wrapperBag2D_ = nullptr; // owned
  double value_ = 0.0;
  int defAnnot_ = 0;
  KROLinkIds ttrsLinkIds_;
  int refFrameLinkId_ = 0;
  KROUnicodeString attributes_;
  list<KROBaseUnknown>* associated_ = nullptr; // owned list, borrowed items
  list<KROBaseUnknown>* orderGroup_ = nullptr; // owned list, borrowed items
  KROTPSLightBehaviorType behaviorType_ = KROTPSLightBehaviorUnset;
  list<KROBaseUnknown>* basicDims_ = nullptr; // owned list, borrowed items; a cache
  KROBaseUnknown_WR viewLink_;
  // The base pointer viewLink_ was last pointed at, null once cleared: the view link's key in the
  // holder index, which must be known even after the view is gone.
  const KROBaseUnknown* viewKey_ = nullptr;
  int refFrameKey_ = 0; // the link id registered in the holder index: that of the last change
};
