// KROPmiPictures.cpp - --save, --reps, --svg, --png and --capture.
#include "KROPmiPictures.h"

#include "KROPmiOutput.h"

#include "KRODocumentFile.h"

#ifdef KRO_PMI_WITH_RENDER
#include "KROStepRenderScene.h"
#endif

#include <cstdio>
#include <iostream>

void KROPmiAddPictureOptions(CLI::App& app, KROPmiPictureOptions& o) {
  app.add_option("--save", o.save, "write the model's visualization document to OUT (.krod)");
  app.add_option("--reps", o.reps, "bind the reps of this document file (.krod) to the model");
  app.add_option("--svg", o.svg, "draw the part and its annotations as SVG to OUT");
  app.add_option("--png", o.png, "draw the part and its annotations as PNG to OUT");
  app.add_option("--size", o.size, "picture size WIDTHxHEIGHT (default 800x600)");
  app.add_option("--capture", o.capture, "draw through the camera of this capture (name or 1..)");
  app.add_option("--html", o.html,
                 "write a self-contained 3D page (WebGL) to browse the part and its PMI to OUT");
}

int KROPmiWritePictures(const std::string& file, KROStepImportResult& r, const KROPmiModel& model,
                        const KROPmiPictureOptions& o, std::optional<int> face) {
  std::string why;
  if (!o.reps.empty()) {
    KROVZBDocumentComponent* loaded = nullptr;
    if (FAILED(KROLoadDocument(o.reps.c_str(), &loaded)) || !loaded)
      return KROPmiFail(o.reps + ": not a readable document file");
    // The set borrows its document: switch it over before the importer's document is let go.
    r.set->SetDocument(loaded);
    r.document = KROComPtr<KROVZBDocumentComponent>::Attach(loaded);
    auto services = r.set.As<KROITPSLightSetServices>();
    services->GenerateAllReps();
    services->GenerateAll2DReps();
    services->GenerateAllCapturesReps();
  }
  if (!o.save.empty()) {
    if (!r.document) return KROPmiFail(file + ": the model has no visualization document");
    const std::vector<unsigned char> bytes = KROSerializeDocument(*r.document.Get());
    if (bytes.empty()) return KROPmiFail(o.save + ": out of memory");
    if (!KROPmiWriteFile(o.save, std::string(bytes.begin(), bytes.end()), why))
      return KROPmiFail(why);
  }
  if (o.svg.empty() && o.png.empty()) return 0;
#ifndef KRO_PMI_WITH_RENDER
  (void)model;
  (void)face;
  return KROPmiFail("this kro-pmi was built without the renderer (cairo): no pictures",
                    kKROPmiUsage);
#else
  KRORenderOptions options;
  int w = 0, h = 0;
  char tail = 0;
  if (std::sscanf(o.size.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 ||
      w > kKRORenderMaxSide || h > kKRORenderMaxSide)
    return KROPmiFail("--size " + o.size + ": expected WIDTHxHEIGHT, each 1.." +
                          std::to_string(kKRORenderMaxSide),
                      kKROPmiUsage);
  options.width = w;
  options.height = h;
  if (!o.capture.empty()) {
    // Through a saved view: its camera, and the annotations it shows only.
    const KROPmiCapture* capture = model.FindCapture(o.capture);
    if (!capture) return KROPmiFail(file + ": no capture " + o.capture);
    options.camera = KRORenderCameraOf(capture->capture.Get());
    options.onlyAnnotations =
        std::set<int>(capture->annotations.begin(), capture->annotations.end());
  }
  if (face) {
    options.shadedFaces.insert(*face);
    std::set<int> shown;
    for (int id : model.Touching(*face))
      if (!options.onlyAnnotations || options.onlyAnnotations->count(id)) shown.insert(id);
    options.onlyAnnotations = shown;
  }
  const KRORenderScene scene = KROStepRenderScene(r);
  for (const auto& [path, png] : {std::pair{o.svg, false}, std::pair{o.png, true}}) {
    if (path.empty()) continue;
    KRORenderOutput out;
    if (!(png ? KRORenderPNG(scene, options, out) : KRORenderSVG(scene, options, out)))
      return KROPmiFail(path + ": " + out.error);
    for (const std::string& warning : out.warnings)
      std::cerr << "kro-pmi: " << file << ": " << warning << '\n';
    if (!KROPmiWriteFile(path, out.bytes, why)) return KROPmiFail(why);
  }
  return 0;
#endif
}
