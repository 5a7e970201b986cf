// Drawing the NIST parts: one picture of the part with its annotations, as SVG and as PNG
// (800 x 600, default camera, edges only and every face shaded), from a model imported once.
#include "KROStepRenderScene.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const char* const kParts[] = {"nist_ctc_01_asme1_ap242-e1.stp", "nist_ctc_04_asme1_ap242-e1.stp",
                              "nist_ftc_07_asme1_ap242-e2.stp"};

void Render(benchmark::State& state, bool png) {
  const KROStepImportResult r =
      KROStepImportFile(std::string(KRO_TEST_DATA_DIR) + "/" + kParts[state.range(0)]);
  if (!r.ok) return state.SkipWithError("cannot read the part");
  const KRORenderScene scene = KROStepRenderScene(r);
  KRORenderOptions options;
  options.shadeAllFaces = state.range(1) != 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    KRORenderOutput out;
    if (!(png ? KRORenderPNG(scene, options, out) : KRORenderSVG(scene, options, out)))
      return state.SkipWithError("cannot draw");
    bytes = out.bytes.size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetLabel(std::string(kParts[state.range(0)]) + (options.shadeAllFaces ? " shaded" : ""));
}

void BM_RenderSVG(benchmark::State& state) { Render(state, false); }
void BM_RenderPNG(benchmark::State& state) { Render(state, true); }

} // namespace

BENCHMARK(BM_RenderSVG)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPNG)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
