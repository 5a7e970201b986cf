// KROFuzzRepBinding.cpp - binding reps from a document with arbitrary streams.
//
// Input: a byte of model shape, a byte of TTRS placements, then for each container below a
// control byte (bit 0: the container exists, bit 1: it has a stream of the next two bytes'
// length), then the generate calls to make. The model holds objects of every kind with indexes
// from the input. Every rep an object reports must be alive, and once model and document are gone
// the live counts are back where they were.
#include "KROFuzzSupport.h"

#include "KROTPSLightContainerNames.h"
#include "KROTPSLightTPS.h"
#include "KROVZBDocument.h"

#include <string>

namespace {

constexpr const char* kPaths[] = {
    KROTPSContainers::kAnnotationsPath,   KROTPSContainers::kViewsPath,
    KROTPSContainers::kCGsPath,           KROTPSContainers::kCapturesPath,
    KROTPSContainers::kAnnotations2DPath, KROTPSContainers::kCaptureRepsPath};

/// Touches a rep and its children, so that a freed one is reported.
std::size_t Touch(const KRORep* rep, int depth = 0) {
  std::size_t n = rep->GetLabel().size() + static_cast<std::size_t>(rep->HolderCount());
  if (const list<KRORep>* children = rep->GetChildren(); children && depth < 64)
    for (int i = 0; i < children->Size(); ++i)
      if (const KRORep* child = children->At(i)) n += Touch(child, depth + 1);
  return n;
}

void Bind(KROFuzzInput& in) {
  KROFuzzModel model;
  const int shape = in.Byte();
  const int counts[] = {1 + (shape & 3),
                        1 + ((shape >> 2) & 1),
                        1 + ((shape >> 3) & 1),
                        1 + ((shape >> 4) & 1),
                        1,
                        1,
                        1};
  const KROFuzzKind kinds[] = {KROFuzzKind::Annotation, KROFuzzKind::View, KROFuzzKind::CG,
                               KROFuzzKind::Capture,    KROFuzzKind::TTRS, KROFuzzKind::RefFrame,
                               KROFuzzKind::Fake};
  for (int k = 0; k < 7; ++k)
    for (int i = 0; i < counts[k]; ++i)
      if (KROITPSLight* light = model.Create(kinds[k])) light->SetIndex(in.Below(6) - 1);

  // A TTRS may also stand in any list that binding walks; the list takes over a reference.
  const int placements = in.Byte();
  KROITPSLightSet* set = model.Set();
  HRESULT(KROITPSLightSet::*adders[])
  (KROBaseUnknown*) = {&KROITPSLightSet::AddTPS, &KROITPSLightSet::AddTPSView,
                       &KROITPSLightSet::AddCG, &KROITPSLightSet::AddCapture};
  for (auto& object : model.Objects()) {
    if (object.kind != KROFuzzKind::TTRS) continue;
    for (int a = 0; a < 4; ++a) {
      if (!(placements & (1 << a))) continue;
      object.light->AddRef();
      if (FAILED((set->*adders[a])(object.light.Get()))) object.light->Release();
    }
  }

  KRODocumentBuilder builder;
  for (const char* path : kPaths) {
    const int control = in.Byte();
    if (control & 2) {
      const std::size_t length = in.Byte() | (std::size_t(in.Byte()) << 8);
      builder.SetStream(path, in.Bytes(length));
    } else if (control & 1) {
      builder.AddContainer(path);
    }
  }
  KROVZBDocumentComponent* doc = builder.Build();
  if (!doc) return;
  set->SetDocument(doc);
  auto services = KROFuzzModel::As<KROITPSLightSetServices>(set);
  for (int calls = 0; calls < 6 && !in.Empty(); ++calls) {
    switch (in.Below(3)) {
    case 0:
      services->GenerateAllReps();
      break;
    case 1:
      services->GenerateAll2DReps();
      break;
    default:
      services->GenerateAllCapturesReps();
      break;
    }
  }
  std::size_t touched = 0;
  for (auto& object : model.Objects()) {
    KRORep* rep = nullptr;
    const HRESULT rc = object.light->GetRep(&rep);
    KROFuzzRequire(SUCCEEDED(rc) == (rep != nullptr), "GetRep succeeds exactly with a rep");
    if (rep) touched += Touch(rep);
    if (object.kind != KROFuzzKind::Annotation) continue;
    KRO2DRep* rep2D = nullptr;
    if (SUCCEEDED(KROFuzzModel::As<KROITPSLightModel>(object.light.Get())->Get2DRep(&rep2D)))
      touched += Touch(rep2D);
  }
  KROFuzzRequire(touched < (std::size_t(1) << 40), "reps are finite");
  services.Reset();
  doc->Release(); // the model still names it; it only reads it inside the generate calls
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const KROFuzzCounts counts;
  {
    KROFuzzInput in(data, size);
    Bind(in);
  }
  counts.Check();
  return 0;
}
