// KROTPSLightCG.cpp
#include "KROTPSLightCG.h"
#include "KROTPSFramework.h"
#include "KROTPSLightOut.h"
#include "KROTPSLightTypeCodes.h"

KRO_IMPLEMENT_CLASS(KROTPSLightCG, KROTPSFramework, Implementation, "KROTPSLightCG", nullptr)
KROBaseUnknown* KROTPSLightCG::CreateItself() { return nullptr; }

KROTPSLightCG::KROTPSLightCG() {
  light_.name = KROUnicodeString::Literal(u"Constructed Geometry");
  light_.type = KROTPSTypeConstructedGeometry;
}

// The ids go before the attribute text, which the member order alone would free first.
KROTPSLightCG::~KROTPSLightCG() { representedTTRS_.Clear(); }

HRESULT KROTPSLightCG::AddTTRSLinkID(int id) { return representedTTRS_.Add(id); }
HRESULT KROTPSLightCG::GetTTRSLinkIds(KRORawCollint** ids) { return representedTTRS_.CopyOut(ids); }
HRESULT KROTPSLightCG::AddRepresentedTTRSLinkID(int id) { return representedTTRS_.Add(id); }
HRESULT KROTPSLightCG::GetRepresentedTTRSLinkIds(KRORawCollint** ids) {
  return representedTTRS_.CopyOut(ids);
}

HRESULT KROTPSLightCG::GetAttributes(KROWChar** text) const {
  return KROCopyTextOut(attributes_, text);
}
HRESULT KROTPSLightCG::SetAttributes(const KROWChar* text) { return KROSetText(attributes_, text); }
