// KROTPSLightFake.h - a placeholder light object with a thumbnail and a fake type.
///
/// Its operations are plain members; KROITPSLightFake forwards to them. The fake type is 0 until
/// it is first set.
#pragma once

#include "KROClassMacros.h"
#include "KROSequenceOctet.h"
#include "KROTPSLightAdapt.h"

class KRO_KERNEL_API KROTPSLightFake : public KROTPSLightAdapt {
  KRO_DECLARE_CLASS
public:
  KROTPSLightFake();
  ~KROTPSLightFake() override;

  HRESULT GetThumbnailData(_SEQUENCE_octet& data);
  HRESULT SetThumbnailData(const _SEQUENCE_octet& data);
  HRESULT GetFakeType(int& type);
  HRESULT SetFakeType(int type);

private:
  _SEQUENCE_octet thumbnail_;
  int fakeType_ = 0;
};
