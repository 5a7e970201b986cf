// KROTPSLightSet.cpp
#include "KROTPSLightSet.h"
#include "KROTPSFramework.h"

KRO_IMPLEMENT_CLASS(KROTPSLightSet, KROTPSFramework, Implementation, "KRONull", nullptr)
KROBaseUnknown* KROTPSLightSet::CreateItself() { return nullptr; }

KROTPSLightSet::KROTPSLightSet() = default;
KROTPSLightSet::~KROTPSLightSet() = default;

HRESULT KROTPSLightSet::GetName(KROWChar**) { return S_OK; }
HRESULT KROTPSLightSet::GetStdName(KROWChar**) { return S_OK; }
HRESULT KROTPSLightSet::GetTTRSList(list<KROBaseUnknown>**) { return S_OK; }
HRESULT KROTPSLightSet::GetRefFrameList(list<KROBaseUnknown>**) { return S_OK; }
HRESULT KROTPSLightSet::GetCaptureList(list<KROBaseUnknown>**) { return S_OK; }
HRESULT KROTPSLightSet::GetCGList(list<KROBaseUnknown>**) { return S_OK; }
HRESULT KROTPSLightSet::GetViewList(list<KROBaseUnknown>**) { return S_OK; }
list<KROBaseUnknown>* KROTPSLightSet::GetTPSList() { return nullptr; }
