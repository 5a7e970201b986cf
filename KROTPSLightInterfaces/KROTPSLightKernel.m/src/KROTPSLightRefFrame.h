// KROTPSLightRefFrame.h - a reference frame of the set.
///
/// Holds its datums (annotations, borrowed), the TTRS link ids it refers to, an attributes text
/// and, built from that text on demand, its basic dimensions (annotations, borrowed).
/// \code
///   KROComPtr<KROITPSLightRefFrame> frame = ...;
///   frame->AddDatumSimple(datum);
///   frame->SetAttributes(u"RF:3::7:");
///   list<KROBaseUnknown>* dims = nullptr;
///   frame->GetBasicDim(&dims);   // annotations 3 and 7 of the set, built once, then cached
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

class KROTPSLightRefFrame : public KROTPSLightAdapt,
                            public KROTPSHolder,
                            private KROTPSHeldListsWatch<KROTPSLightRefFrame> {
  KRO_DECLARE_CLASS
public:
  KROTPSLightRefFrame();
  ~KROTPSLightRefFrame() override;

  virtual HRESULT GetAllDatumsSimple(list<KROBaseUnknown>** datums) const;
  virtual HRESULT AddDatumSimple(KROBaseUnknown* datum);
  virtual HRESULT RemoveDatumSimple(KROBaseUnknown* datum);
  virtual HRESULT AddTTRSLinkID(int id);
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids);
  virtual HRESULT GetAttributes(KROWChar** text) const;
  /// Leaves an already built basic-dimension list as it is.
  virtual HRESULT SetAttributes(const KROWChar* text);
  /// Always 2, the super type of the frame's type code 32.
  virtual HRESULT GetSuperType(unsigned short* superType) const;
  virtual HRESULT GetBasicDim(list<KROBaseUnknown>** dims);
  virtual HRESULT RemoveBasiDim(KROBaseUnknown* dim);

  /// Registers (or unregisters) what the datums and basic dimensions hold with the set that counts this one.
  void IndexHeld(KROTPSHolderIndex& index, bool add) override;
  /// What the set's removals call instead of RemoveDatumSimple and RemoveBasiDim: neither list
  /// keeps an occurrence of `x`.
  void DropEvery(KROBaseUnknown* x);
  bool HoldsAny() const override { return ::HoldsAny({datums_, basicDims_}); }

private:
  // The lists tell the holder index of the set that counts this object what they hold.
  friend class KROTPSHeldListsWatch<KROTPSLightRefFrame>;
  KROTPSHeldRole RoleOf(const list<KROBaseUnknown>&) const { return KROTPSHeldRole::FrameLists; }

  list<KROBaseUnknown>* datums_ = nullptr; // owned list, borrowed items; null if not allocated
  KROLinkIds ttrsLinkIds_;
  KROUnicodeString attributes_;
  list<KROBaseUnknown>* basicDims_ = nullptr; // owned list, borrowed items; a cache
};
