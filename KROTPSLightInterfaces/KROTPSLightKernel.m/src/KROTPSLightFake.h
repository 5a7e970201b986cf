// KROTPSLightFake.h - a placeholder light object with a thumbnail and a fake type.
///
/// Its operations are plain members; KROITPSLightFake forwards to them. The fake type is 0 until
/// it is first set.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROClassMacros.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSLightValues.h"

class KROTPSLightFake : public KROTPSLightAdapt {
  KRO_DECLARE_CLASS
public:
  KROTPSLightFake();
  ~KROTPSLightFake() override;

  HRESULT GetThumbnailData(_SEQUENCE_octet& data) { return thumbnail_.Get(data); }
  HRESULT SetThumbnailData(const _SEQUENCE_octet& data) { return thumbnail_.Set(data); }
  HRESULT GetFakeType(int& type);
  HRESULT SetFakeType(int type);

private:
  KROTPSThumbnail thumbnail_;
  int fakeType_ = 0;
};
