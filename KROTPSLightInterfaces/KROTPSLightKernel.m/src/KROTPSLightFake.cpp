// KROTPSLightFake.cpp
#include "KROTPSLightFake.h"
#include "KROTPSFramework.h"

KRO_IMPLEMENT_CLASS(KROTPSLightFake, KROTPSFramework, Implementation, "KROTPSLightFake", nullptr)
KROBaseUnknown* KROTPSLightFake::CreateItself() { return nullptr; }

KROTPSLightFake::KROTPSLightFake() { light_.name = KROUnicodeString::Literal(u"Fake"); }

KROTPSLightFake::~KROTPSLightFake() = default;

HRESULT KROTPSLightFake::GetFakeType(int& type) {
  type = fakeType_;
  return S_OK;
}
HRESULT KROTPSLightFake::SetFakeType(int type) {
  fakeType_ = type;
  return S_OK;
}
