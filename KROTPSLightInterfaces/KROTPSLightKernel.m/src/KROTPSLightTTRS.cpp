// KROTPSLightTTRS.cpp
#include "KROTPSLightTTRS.h"
#include "KROTPSFramework.h"

#include "KROTPSLightOut.h"
#include "KROTPSModelGeneration.h"

KRO_IMPLEMENT_CLASS(KROTPSLightTTRS, KROTPSFramework, Implementation, "KROTPSLightTTRS", nullptr)
KROBaseUnknown* KROTPSLightTTRS::CreateItself() { return nullptr; }

namespace {
// The body both UUID operations share: only the argument is checked.
HRESULT AcceptNonNull(const void* argument) { return argument ? S_OK : E_FAIL; }
} // namespace

KROTPSLightTTRS::KROTPSLightTTRS() : light_(KROUnicodeString::Literal(u"LightTTRS")) {}

KROTPSLightTTRS::~KROTPSLightTTRS() {
  const int count = paths_.Size();
  for (int i = 1; i <= count; ++i)
    delete static_cast<KRORawCollint*>(paths_[i]);
  rep_ = nullptr;
  light_.setLink.Clear();
}

HRESULT KROTPSLightTTRS::SetIndex(int index) {
  KROTPSModelChanged();
  return light_.SetIndex(index);
}

HRESULT KROTPSLightTTRS::GetRep(KRORep** rep) { return KROWriteRepOut(rep_, rep); }

HRESULT KROTPSLightTTRS::SetRep(KRORep* rep) {
  rep_ = rep;
  return S_OK;
}

HRESULT KROTPSLightTTRS::GetUUId(KROWChar** uuid) { return AcceptNonNull(uuid); }
HRESULT KROTPSLightTTRS::SetUUId(const KROWChar* uuid) { return AcceptNonNull(uuid); }

HRESULT KROTPSLightTTRS::AddGeomPathId(KRORawCollint* path) {
  if (!path) return E_FAIL;
  KROTPSModelChanged();
  if (paths_.Append(path)) return S_OK;
  delete path;
  return E_FAIL;
}

HRESULT KROTPSLightTTRS::GetGeomPathId(KRORawCollPV* paths) {
  if (!paths) return E_FAIL;
  *paths = paths_;
  // A copy that could not be allocated comes out empty: report it rather than an empty TTRS.
  return paths->Size() == paths_.Size() ? S_OK : E_FAIL;
}
