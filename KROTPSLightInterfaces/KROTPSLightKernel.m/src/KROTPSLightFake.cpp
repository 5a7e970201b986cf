// KROTPSLightFake.cpp
#include "KROTPSLightFake.h"
#include "KROTPSFramework.h"

KRO_IMPLEMENT_CLASS(KROTPSLightFake, KROTPSFramework, Implementation, "KROTPSLightFake", nullptr)
KROBaseUnknown* KROTPSLightFake::CreateItself() { return nullptr; }

KROTPSLightFake::KROTPSLightFake() { name_ = KROUnicodeString::Literal(u"Fake"); }

KROTPSLightFake::~KROTPSLightFake() = default;

HRESULT KROTPSLightFake::GetThumbnailData(_SEQUENCE_octet& data) {
  data = thumbnail_;
  return S_OK;
}
HRESULT KROTPSLightFake::SetThumbnailData(const _SEQUENCE_octet& data) {
  thumbnail_ = data;
  return S_OK;
}
HRESULT KROTPSLightFake::GetFakeType(int& type) {
  type = fakeType_;
  return S_OK;
}
HRESULT KROTPSLightFake::SetFakeType(int type) {
  fakeType_ = type;
  return S_OK;
}
