// KROTPSLightCG.h - a constructed geometry: the TTRS it represents and a free attribute text.
///
/// Both add operations feed one id collection and both get operations copy it out:
/// \code
///   cg->AddTTRSLinkID(4);
///   cg->AddRepresentedTTRSLinkID(9);
///   KRORawCollint* ids = nullptr;
///   cg->GetTTRSLinkIds(&ids);   // 4, 9 - a copy the caller deletes
///   delete ids;
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROClassMacros.h"
#include "KROLinkIds.h"
#include "KRORawColl.h"
#include "KROTPSLightAdapt.h"

class KROTPSLightCG : public KROTPSLightAdapt {
  KRO_DECLARE_CLASS
public:
  KROTPSLightCG();
  ~KROTPSLightCG() override;

  virtual HRESULT AddTTRSLinkID(int id);
  /// A new copy of the ids, which the caller deletes; E_FAIL with `ids` untouched before the
  /// first add.
  virtual HRESULT GetTTRSLinkIds(KRORawCollint** ids);
  virtual HRESULT AddRepresentedTTRSLinkID(int id);
  virtual HRESULT GetRepresentedTTRSLinkIds(KRORawCollint** ids);
  virtual HRESULT GetAttributes(KROWChar** text) const;
  virtual HRESULT SetAttributes(const KROWChar* text);

private:
  KROLinkIds representedTTRS_;
  KROUnicodeString attributes_;
};
