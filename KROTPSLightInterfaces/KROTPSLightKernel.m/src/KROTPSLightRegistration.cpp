// KROTPSLightRegistration.cpp - the library's dictionary entries, made when the library is loaded.
///
/// One row per (class, interface) pair, in this order; `RegisterAll` walks the table once.
/// Loading does nothing else.
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
// TODO includes

namespace {
struct Row {
  KROMetaClass* (*classMeta)();
  KROMetaClass* (*tieMeta)();
  KROTieCreateFn createTie;
};
} // namespace

extern "C" {
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightCGKROTPSLightCG(KROBaseUnknown* i,
                                                                    KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightCG, KROITPSLightCG, KROTPSLightCG>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightCG(KROBaseUnknown* i,
                                                                  KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightCG>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightCaptureKROTPSLightCapture(KROBaseUnknown* i,
                                                                              KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightCapture, KROITPSLightCapture, KROTPSLightCapture>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightCapture(KROBaseUnknown* i,
                                                                       KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightCapture>(i, o);
}
KRO_KERNEL_API KROBaseUnknown*
CreateTIEKROITPSLightModelFactoryKROTPSLightContainer(KROBaseUnknown* i, KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightModelFactory, KROITPSLightModelFactory,
                        KROTPSLightContainer>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightFakeKROTPSLightFake(KROBaseUnknown* i,
                                                                        KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightFake, KROITPSLightFake, KROTPSLightFake>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightFake(KROBaseUnknown* i,
                                                                    KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightFake>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightRefFrameKROTPSLightRefFrame(KROBaseUnknown* i,
                                                                                KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightRefFrame, KROITPSLightRefFrame, KROTPSLightRefFrame>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightRefFrame(KROBaseUnknown* i,
                                                                        KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightRefFrame>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightSetKROTPSLightSetExt(KROBaseUnknown* i,
                                                                         KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightSet, KROITPSLightSet, KROTPSLightSetExt>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSIdBrokerKROTPSLightSetExt(KROBaseUnknown* i,
                                                                         KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSIdBroker, KROITPSIdBroker, KROTPSLightSetExt>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightSetExt(KROBaseUnknown* i,
                                                                      KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightSetExt>(i, o);
}
KRO_KERNEL_API KROBaseUnknown*
CreateTIEKROITPSLightSetServicesKROTPSLightSetExt(KROBaseUnknown* i, KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightSetServices, KROITPSLightSetServices, KROTPSLightSetExt>(i,
                                                                                                o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightModelKROTPSLightTPS(KROBaseUnknown* i,
                                                                        KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightModel, KROITPSLightModel, KROTPSLightTPS>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightTPS(KROBaseUnknown* i,
                                                                   KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightTPS>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightTTRSKROTPSLightTTRS(KROBaseUnknown* i,
                                                                        KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightTTRS, KROITPSLightTTRS, KROTPSLightTTRS>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightTTRS(KROBaseUnknown* i,
                                                                    KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightTTRS>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightViewKROTPSLightView(KROBaseUnknown* i,
                                                                        KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLightView, KROITPSLightView, KROTPSLightView>(i, o);
}
KRO_KERNEL_API KROBaseUnknown* CreateTIEKROITPSLightKROTPSLightView(KROBaseUnknown* i,
                                                                    KROBaseUnknown* o) {
  return KROCreateTieOf<TIEKROITPSLight, KROITPSLight, KROTPSLightView>(i, o);
}
}

namespace {
const std::initializer_list<Row> kRows = {
    {&KROTPSLightCG::MetaObject, &KROTieMetaOf<KROITPSLightCG, KROTPSLightCG>,
     &CreateTIEKROITPSLightCGKROTPSLightCG},
    {&KROTPSLightCG::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightCG>,
     &CreateTIEKROITPSLightKROTPSLightCG},
    {&KROTPSLightCapture::MetaObject, &KROTieMetaOf<KROITPSLightCapture, KROTPSLightCapture>,
     &CreateTIEKROITPSLightCaptureKROTPSLightCapture},
    {&KROTPSLightCapture::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightCapture>,
     &CreateTIEKROITPSLightKROTPSLightCapture},
    {&KROTPSLightContainer::MetaObject,
     &KROTieMetaOf<KROITPSLightModelFactory, KROTPSLightContainer>,
     &CreateTIEKROITPSLightModelFactoryKROTPSLightContainer},
    {&KROTPSLightFake::MetaObject, &KROTieMetaOf<KROITPSLightFake, KROTPSLightFake>,
     &CreateTIEKROITPSLightFakeKROTPSLightFake},
    {&KROTPSLightFake::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightFake>,
     &CreateTIEKROITPSLightKROTPSLightFake},
    {&KROTPSLightRefFrame::MetaObject, &KROTieMetaOf<KROITPSLightRefFrame, KROTPSLightRefFrame>,
     &CreateTIEKROITPSLightRefFrameKROTPSLightRefFrame},
    {&KROTPSLightRefFrame::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightRefFrame>,
     &CreateTIEKROITPSLightKROTPSLightRefFrame},
    {&KROTPSLightSetExt::MetaObject, &KROTieMetaOf<KROITPSLightSet, KROTPSLightSetExt>,
     &CreateTIEKROITPSLightSetKROTPSLightSetExt},
    {&KROTPSLightSetExt::MetaObject, &KROTieMetaOf<KROITPSIdBroker, KROTPSLightSetExt>,
     &CreateTIEKROITPSIdBrokerKROTPSLightSetExt},
    {&KROTPSLightSetExt::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightSetExt>,
     &CreateTIEKROITPSLightKROTPSLightSetExt},
    {&KROTPSLightSetExt::MetaObject, &KROTieMetaOf<KROITPSLightSetServices, KROTPSLightSetExt>,
     &CreateTIEKROITPSLightSetServicesKROTPSLightSetExt},
    {&KROTPSLightTPS::MetaObject, &KROTieMetaOf<KROITPSLightModel, KROTPSLightTPS>,
     &CreateTIEKROITPSLightModelKROTPSLightTPS},
    {&KROTPSLightTPS::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightTPS>,
     &CreateTIEKROITPSLightKROTPSLightTPS},
    {&KROTPSLightTTRS::MetaObject, &KROTieMetaOf<KROITPSLightTTRS, KROTPSLightTTRS>,
     &CreateTIEKROITPSLightTTRSKROTPSLightTTRS},
    {&KROTPSLightTTRS::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightTTRS>,
     &CreateTIEKROITPSLightKROTPSLightTTRS},
    {&KROTPSLightView::MetaObject, &KROTieMetaOf<KROITPSLightView, KROTPSLightView>,
     &CreateTIEKROITPSLightViewKROTPSLightView},
    {&KROTPSLightView::MetaObject, &KROTieMetaOf<KROITPSLight, KROTPSLightView>,
     &CreateTIEKROITPSLightKROTPSLightView},
};

struct Registrar {
  Registrar() {
    for (const Row& row : kRows)
      KROFillDictionary(row.classMeta(), row.tieMeta(), row.createTie, nullptr, 1);
  }
} gRegistrar;
} // namespace
