// KROTPSLightRegistration.cpp - the library's dictionary entries, made when the library is loaded.
///
/// One row per (class, interface) pair in KRO_TIE_TABLE; the registrar walks it once. Loading
/// does nothing else.
#include "KRODictionary.h"
#include "KROTPSLightKernelExport.h"
#include "KROTPSLightTieSupport.h"

#include <initializer_list>

#include "KROTPSLightCG.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightContainer.h"
#include "KROTPSLightFake.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"
#include "KROTPSLightView.h"
#include "TIEKROITPSIdBroker.h"
#include "TIEKROITPSLight.h"
#include "TIEKROITPSLightCG.h"
#include "TIEKROITPSLightCapture.h"
#include "TIEKROITPSLightFake.h"
#include "TIEKROITPSLightModel.h"
#include "TIEKROITPSLightModelFactory.h"
#include "TIEKROITPSLightRefFrame.h"
#include "TIEKROITPSLightSet.h"
#include "TIEKROITPSLightSetServices.h"
#include "TIEKROITPSLightTTRS.h"
#include "TIEKROITPSLightView.h"
/// The library's (class, interface) pairs, one per row, in dictionary order. Each row gives the
/// exported tie-creation function CreateTIE<interface><class> and one dictionary entry.
#define KRO_TIE_TABLE(ROW)                                                                         \
  ROW(KROITPSLightCG, KROTPSLightCG)                                                               \
  ROW(KROITPSLight, KROTPSLightCG)                                                                 \
  ROW(KROITPSLightCapture, KROTPSLightCapture)                                                     \
  ROW(KROITPSLight, KROTPSLightCapture)                                                            \
  ROW(KROITPSLightModelFactory, KROTPSLightContainer)                                              \
  ROW(KROITPSLightFake, KROTPSLightFake)                                                           \
  ROW(KROITPSLight, KROTPSLightFake)                                                               \
  ROW(KROITPSLightRefFrame, KROTPSLightRefFrame)                                                   \
  ROW(KROITPSLight, KROTPSLightRefFrame)                                                           \
  ROW(KROITPSLightSet, KROTPSLightSetExt)                                                          \
  ROW(KROITPSIdBroker, KROTPSLightSetExt)                                                          \
  ROW(KROITPSLight, KROTPSLightSetExt)                                                             \
  ROW(KROITPSLightSetServices, KROTPSLightSetExt)                                                  \
  ROW(KROITPSLightModel, KROTPSLightTPS)                                                           \
  ROW(KROITPSLight, KROTPSLightTPS)                                                                \
  ROW(KROITPSLightTTRS, KROTPSLightTTRS)                                                           \
  ROW(KROITPSLight, KROTPSLightTTRS)                                                               \
  ROW(KROITPSLightView, KROTPSLightView)                                                           \
  ROW(KROITPSLight, KROTPSLightView)

#define KRO_DEFINE_CREATE_TIE(Itf, Impl)                                                           \
  KRO_KERNEL_API KROBaseUnknown* CreateTIE##Itf##Impl(KROBaseUnknown* i, KROBaseUnknown* o) {      \
    return KROCreateTieOf<TIE##Itf, Itf, Impl>(i, o);                                              \
  }
#define KRO_DICTIONARY_ROW(Itf, Impl)                                                              \
  {&Impl::MetaObject, &KROTieMetaOf<Itf, Impl>, &CreateTIE##Itf##Impl},

extern "C" {
KRO_TIE_TABLE(KRO_DEFINE_CREATE_TIE)
}

namespace {
struct Row {
  KROMetaClass* (*classMeta)();
  KROMetaClass* (*tieMeta)();
  KROTieCreateFn createTie;
};

const std::initializer_list<Row> kRows = {KRO_TIE_TABLE(KRO_DICTIONARY_ROW)};

struct Registrar {
  Registrar() {
    for (const Row& row : kRows)
      KROFillDictionary(row.classMeta(), row.tieMeta(), row.createTie, nullptr, 1);
  }
} gRegistrar;
} // namespace
