// KROTPSLightRegistration.cpp - the library's dictionary entries, made when the library is loaded.
///
/// One row per (class, interface) pair, in this order; `RegisterAll` walks the table once.
/// Loading does nothing else.
#include "KRODictionary.h"
#include "KROTPSLightKernelExport.h"
#include "KROTPSLightTieSupport.h"

#include <initializer_list>

// TODO includes

namespace {
struct Row {
  KROMetaClass* (*classMeta)();
  KROMetaClass* (*tieMeta)();
  KROTieCreateFn createTie;
};
} // namespace

extern "C" {
// TODO  1 CreateTIEKROITPSLightCGKROTPSLightCG
// TODO  2 CreateTIEKROITPSLightKROTPSLightCG
// TODO  3 CreateTIEKROITPSLightCaptureKROTPSLightCapture
// TODO  4 CreateTIEKROITPSLightKROTPSLightCapture
// TODO  5 CreateTIEKROITPSLightModelFactoryKROTPSLightContainer
// TODO  6 CreateTIEKROITPSLightFakeKROTPSLightFake
// TODO  7 CreateTIEKROITPSLightKROTPSLightFake
// TODO  8 CreateTIEKROITPSLightRefFrameKROTPSLightRefFrame
// TODO  9 CreateTIEKROITPSLightKROTPSLightRefFrame
// TODO 10 CreateTIEKROITPSLightSetKROTPSLightSetExt
// TODO 11 CreateTIEKROITPSIdBrokerKROTPSLightSetExt
// TODO 12 CreateTIEKROITPSLightKROTPSLightSetExt
// TODO 13 CreateTIEKROITPSLightSetServicesKROTPSLightSetExt
// TODO 14 CreateTIEKROITPSLightModelKROTPSLightTPS
// TODO 15 CreateTIEKROITPSLightKROTPSLightTPS
// TODO 16 CreateTIEKROITPSLightTTRSKROTPSLightTTRS
// TODO 17 CreateTIEKROITPSLightKROTPSLightTTRS
// TODO 18 CreateTIEKROITPSLightViewKROTPSLightView
// TODO 19 CreateTIEKROITPSLightKROTPSLightView
}

namespace {
const std::initializer_list<Row> kRows = {
    // TODO  1 KROTPSLightCG / KROITPSLightCG
    // TODO  2 KROTPSLightCG / KROITPSLight
    // TODO  3 KROTPSLightCapture / KROITPSLightCapture
    // TODO  4 KROTPSLightCapture / KROITPSLight
    // TODO  5 KROTPSLightContainer / KROITPSLightModelFactory
    // TODO  6 KROTPSLightFake / KROITPSLightFake
    // TODO  7 KROTPSLightFake / KROITPSLight
    // TODO  8 KROTPSLightRefFrame / KROITPSLightRefFrame
    // TODO  9 KROTPSLightRefFrame / KROITPSLight
    // TODO 10 KROTPSLightSetExt / KROITPSLightSet
    // TODO 11 KROTPSLightSetExt / KROITPSIdBroker
    // TODO 12 KROTPSLightSetExt / KROITPSLight
    // TODO 13 KROTPSLightSetExt / KROITPSLightSetServices
    // TODO 14 KROTPSLightTPS / KROITPSLightModel
    // TODO 15 KROTPSLightTPS / KROITPSLight
    // TODO 16 KROTPSLightTTRS / KROITPSLightTTRS
    // TODO 17 KROTPSLightTTRS / KROITPSLight
    // TODO 18 KROTPSLightView / KROITPSLightView
    // TODO 19 KROTPSLightView / KROITPSLight
};

struct Registrar {
  Registrar() {
    for (const Row& row : kRows)
      KROFillDictionary(row.classMeta(), row.tieMeta(), row.createTie, nullptr, 1);
  }
} gRegistrar;
} // namespace
