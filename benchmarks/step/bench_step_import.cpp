// Importing the NIST parts: OCCT's read and transfer, the whole import with its recovery, the
// light-model build from what OCCT read, and the tag query for every face of the part (first and
// cached) beside OCCT's own per-face lookup (FindSubShape, then its dimension, tolerance and
// datum references).
#include "KROComPtr.h"
#include "KROITPSLightSetServices.h"
#include "KROStepImport.h"

#include <STEPCAFControl_Reader.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DimTolTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kParts[] = {"nist_ctc_01_asme1_ap242-e1.stp", "nist_ctc_04_asme1_ap242-e1.stp",
                              "nist_ftc_07_asme1_ap242-e2.stp", "nist_ctc_03_asme1_ap242-e2.stp"};

std::string PartPath(const benchmark::State& state) {
  return std::string(KRO_TEST_DATA_DIR) + "/" + kParts[state.range(0)];
}

Handle(TDocStd_Document) OcctRead(const std::string& path) {
  Handle(TDocStd_Document) doc;
  XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
  STEPCAFControl_Reader reader;
  reader.SetGDTMode(true);
  reader.SetNameMode(true);
  reader.SetViewMode(true);
  reader.SetColorMode(false);
  reader.SetLayerMode(false);
  reader.SetPropsMode(false);
  if (reader.ReadFile(path.c_str()) != IFSelect_RetDone || !reader.Transfer(doc)) doc.Nullify();
  return doc;
}

/// Seconds per face, from a loop that queries every face once per iteration.
void PerFace(benchmark::State& state, std::size_t faces) {
  state.counters["per_face"] =
      benchmark::Counter(static_cast<double>(faces), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  state.SetLabel(kParts[state.range(0)]);
}

void BM_OcctReadTransfer(benchmark::State& state) {
  const std::string path = PartPath(state);
  for (auto _ : state) {
    Handle(TDocStd_Document) doc = OcctRead(path);
    if (doc.IsNull())
      state.SkipWithError("OCCT cannot read the part");
    else
      XCAFApp_Application::GetApplication()->Close(doc);
  }
  state.SetLabel(kParts[state.range(0)]);
}

void BM_LightModelBuild(benchmark::State& state) {
  std::vector<KROStepMessage> messages;
  auto doc = KROStepDocument::Read(PartPath(state), messages);
  if (!doc) return state.SkipWithError("cannot read the part");
  for (auto _ : state) {
    KROStepImportResult r = doc->Build();
    benchmark::DoNotOptimize(r.set.Get());
  }
  state.SetLabel(kParts[state.range(0)]);
}

// The whole import; `recovery_ms` is the part of it spent reading the file's own entities and
// recovering what OCCT's document dropped.
void BM_ImportWithRecovery(benchmark::State& state) {
  const std::string path = PartPath(state);
  double recovery = 0;
  for (auto _ : state) {
    KROStepImportResult r = KROStepImportFile(path);
    if (!r.ok) return state.SkipWithError("cannot import the part");
    recovery += r.recoverSeconds;
  }
  state.counters["recovery_ms"] =
      benchmark::Counter(recovery * 1e3 / static_cast<double>(state.iterations()));
  state.SetLabel(kParts[state.range(0)]);
}

void BM_TagQueryFirst(benchmark::State& state) {
  std::vector<KROStepMessage> messages;
  auto doc = KROStepDocument::Read(PartPath(state), messages);
  if (!doc) return state.SkipWithError("cannot read the part");
  std::vector<int> faces;
  for (auto _ : state) {
    state.PauseTiming();
    KROStepImportResult r = doc->Build(); // a fresh model: every tag misses its cache once
    faces = r.FaceTags();
    auto services = r.set.As<KROITPSLightSetServices>();
    state.ResumeTiming();
    for (int tag : faces) {
      list<KROBaseUnknown>* found = nullptr;
      services->GetListOfAnnotationsWithZORTag(tag, &found);
      delete found;
    }
    state.PauseTiming();
    services.Reset();
    r.set.Reset();
    state.ResumeTiming();
  }
  PerFace(state, faces.size());
}

void BM_TagQueryCached(benchmark::State& state) {
  std::vector<KROStepMessage> messages;
  auto doc = KROStepDocument::Read(PartPath(state), messages);
  if (!doc) return state.SkipWithError("cannot read the part");
  KROStepImportResult r = doc->Build();
  const std::vector<int> faces = r.FaceTags();
  auto services = r.set.As<KROITPSLightSetServices>();
  for (int tag : faces) {
    list<KROBaseUnknown>* found = nullptr;
    services->GetListOfAnnotationsWithZORTag(tag, &found);
    delete found;
  }
  for (auto _ : state) {
    for (int tag : faces) {
      list<KROBaseUnknown>* found = nullptr;
      services->GetListOfAnnotationsWithZORTag(tag, &found);
      delete found;
    }
  }
  PerFace(state, faces.size());
}

void BM_OcctFaceLookup(benchmark::State& state) {
  Handle(TDocStd_Document) doc = OcctRead(PartPath(state));
  if (doc.IsNull()) return state.SkipWithError("OCCT cannot read the part");
  Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
  Handle(XCAFDoc_DimTolTool) dimTols = XCAFDoc_DocumentTool::DimTolTool(doc->Main());
  std::vector<std::pair<TDF_Label, TopoDS_Shape>> faces;
  TDF_LabelSequence parts;
  shapes->GetShapes(parts);
  for (const TDF_Label& part : parts) {
    if (shapes->IsAssembly(part)) continue;
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(shapes->GetShape(part), TopAbs_FACE, map);
    for (int i = 1; i <= map.Extent(); ++i)
      faces.emplace_back(part, map(i));
  }
  for (auto _ : state) {
    for (const auto& [part, face] : faces) {
      TDF_Label sub;
      TDF_LabelSequence dims, tols, datums;
      if (shapes->FindSubShape(part, face, sub)) {
        dimTols->GetRefDimensionLabels(sub, dims);
        dimTols->GetRefGeomToleranceLabels(sub, tols);
        dimTols->GetRefDatumLabel(sub, datums);
      }
      benchmark::DoNotOptimize(dims.Length() + tols.Length() + datums.Length());
    }
  }
  PerFace(state, faces.size());
  XCAFApp_Application::GetApplication()->Close(doc);
}

/// The read alone (OCCT's read, transfer and walk, and the file's facts), in this process; or in
/// a worker process (started, read, result over the pipe and decoded), which skips OCCT's
/// teardown: a worker started for the read (as kro-pmi does), or the spare a previous read left
/// waiting, given the time a host spends between two files to get ready (not timed).
enum class Way { InProcess, Worker, Spare };
void Read(benchmark::State& state, Way way) {
  const std::string path = PartPath(state);
  KROStepReadOptions options;
  options.isolated = way != Way::InProcess;
  options.spareWorker = way == Way::Spare;
  std::vector<KROStepMessage> first;
  if (way == Way::Spare) KROStepDocument::Read(path, first, options); // leaves a spare
  for (auto _ : state) {
    if (way == Way::Spare) {
      state.PauseTiming();
      std::this_thread::sleep_for(std::chrono::seconds(1));
      state.ResumeTiming();
    }
    std::vector<KROStepMessage> messages;
    auto doc = KROStepDocument::Read(path, messages, options);
    if (!doc) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(doc);
  }
  if (way == Way::Spare) { // the last spare reads once more, untimed, and none is left
    options.spareWorker = false;
    KROStepDocument::Read(path, first, options);
  }
  state.SetLabel(kParts[state.range(0)]);
}
void BM_ReadInProcess(benchmark::State& state) { Read(state, Way::InProcess); }
void BM_ReadWorker(benchmark::State& state) { Read(state, Way::Worker); }
void BM_ReadSpareWorker(benchmark::State& state) { Read(state, Way::Spare); }

BENCHMARK(BM_ReadInProcess)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWorker)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSpareWorker)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OcctReadTransfer)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LightModelBuild)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportWithRecovery)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagQueryFirst)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TagQueryCached)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OcctFaceLookup)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

} // namespace
