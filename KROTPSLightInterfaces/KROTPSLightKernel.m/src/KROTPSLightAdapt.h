// KROTPSLightAdapt.h - the common base of the light model objects.
///
/// Holds what every light object has: type, name, index, status, UUID, the bound rep and a weak
/// link to the owning set. The rep is kept inside a group rep (the wrapper bag) that this object
/// owns, so the object owns the rep it was given: it is destroyed with the object, or when another
/// rep replaces it and no other bag holds it.
/// \code
///   KROComPtr<KROITPSLight> light = ...;
///   light->SetRep(rep);                 // rep now belongs to the object's wrapper bag
///   KRORep* r = nullptr; light->GetRep(&r); // r == rep, uncounted
/// \endcode
/// Not registered on its own; each derived class registers itself with its KROITPSLight tie.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROTPSLightFields.h"
#include "KROTPSListMembership.h"
#include "KROUnicodeString.h"

class KRORep;
class KRO3DBagRep;
class KROITPSLightSet;

class KROTPSLightAdapt : public KROBaseUnknown {
public:
  KROTPSLightAdapt();
  ~KROTPSLightAdapt() override;
  KROTPSLightAdapt(const KROTPSLightAdapt&) = delete;
  KROTPSLightAdapt& operator=(const KROTPSLightAdapt&) = delete;

  virtual HRESULT GetType(unsigned short* type) { return light_.GetType(type); }
  virtual HRESULT SetType(unsigned short type) { return light_.SetType(type); }
  virtual HRESULT GetName(KROWChar** name) { return light_.GetName(name); }
  virtual HRESULT SetName(const KROWChar* name) { return light_.SetName(name); }
  virtual HRESULT GetIndex(int* index) { return light_.GetIndex(index); }
  virtual HRESULT SetIndex(int index) { return light_.SetIndex(index); }
  virtual HRESULT GetStatus(unsigned short* status) { return light_.GetStatus(status); }
  virtual HRESULT SetStatus(unsigned short status) { return light_.SetStatus(status); }
  virtual HRESULT GetRep(KRORep** rep);
  /// Null clears the rep and keeps no wrapper bag.
  virtual HRESULT SetRep(KRORep* rep);
  virtual HRESULT GetUUId(KROWChar** uuid);
  virtual HRESULT SetUUId(const KROWChar* uuid);
  virtual HRESULT GetLightSet(KROITPSLightSet** set) { return light_.GetLightSet(set); }
  virtual HRESULT SetLightSet(KROITPSLightSet* set);

  /// Whether the set link names the component whose base pointer is `set`.
  bool LinksToSet(const KROBaseUnknown* set) const;
  /// The set this object is linked to, with a reference for the caller; null when none is.
  KROBaseUnknown* LinkedSet() const { return light_.setLink.GetComponent(); }
  /// What GetType writes, for the library's own loops (KROExactly).
  unsigned short TypeCode() const { return light_.type; }

protected:
  KROTPSLightFields light_;
  KRORep* rep_ = nullptr;             // borrowed; held by wrapperBag_
  KRO3DBagRep* wrapperBag_ = nullptr; // owned
  KROUnicodeString uuid_;

private:
  // Kept by the set list that counts this object and the holder index its lists report to
  // (KROTPSRemovalIndex.h); nobody else reads or writes it.
  friend class KROTPSEntryIndex;
  friend class KROTPSHolderIndex;
  KROTPSListMembership& Membership() { return membership_; }
  const KROTPSListMembership& Membership() const { return membership_; }
  /// Last, so that the fields every loop reads stay next to the object's start.
  KROTPSListMembership membership_;
};
