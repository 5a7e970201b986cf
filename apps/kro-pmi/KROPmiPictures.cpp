// KROPmiPictures.cpp - --save, --svg, --png, --capture and --html.
#include "KROPmiPictures.h"

#include "KRODocumentFile.h"
#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightSetServices.h"

#ifdef KRO_PMI_WITH_RENDER
#include "KROPmiPage.h"
#include "KROStepRenderScene.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace {

constexpr int kUsage = 1;
constexpr int kBadInput = 2;

int Fail(const std::string& line, int status = kBadInput) {
  std::cerr << "kro-pmi: " << line << '\n';
  return status;
}

#ifdef KRO_PMI_WITH_RENDER
/// The capture named NAME, or at 1-based INDEX; null when there is none.
KROITPSLightCapture* FindCapture(const KROStepImportResult& r, const std::string& which,
                                 KROComPtr<KROITPSLightCapture>& out, int& index) {
  for (KROPmiCapture& c : KROPmiCaptures(r)) {
    if (c.name == which || std::to_string(c.index) == which) {
      out = c.capture;
      index = c.index;
      return out.Get();
    }
  }
  return nullptr;
}
#endif

} // namespace

std::vector<KROPmiCapture> KROPmiCaptures(const KROStepImportResult& r) {
  std::vector<KROPmiCapture> out;
  list<KROBaseUnknown>* captures = nullptr;
  if (!r.set) return out;
  r.set->GetCaptureList(&captures);
  for (int i = 0; captures && i < captures->Size(); ++i) {
    KROComPtr<KROITPSLightCapture> c;
    if (!captures->At(i) ||
        FAILED(captures->At(i)->QueryInterface(IID_KROITPSLightCapture, c.Put())))
      continue;
    KROWChar* name = nullptr;
    c.As<KROITPSLight>()->GetName(&name);
    std::string n = name ? KROStepUtf8(name) : std::string();
    delete[] name;
    out.push_back({i + 1, std::move(n), std::move(c)});
  }
  return out;
}

bool KROPmiWriteFile(const std::string& path, const std::string& bytes, std::string& why) {
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      why = path + ": " + std::strerror(errno);
      return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      why = path + ": write failed";
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    why = path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

void KROPmiAddPictureOptions(CLI::App& app, KROPmiPictureOptions& o) {
  app.add_option("--save", o.save, "write the model's visualization document to OUT (.krod)");
  app.add_option("--reps", o.reps, "bind the reps of this document file (.krod) to the model");
  app.add_option("--svg", o.svg, "draw the part and its annotations as SVG to OUT");
  app.add_option("--png", o.png, "draw the part and its annotations as PNG to OUT");
  app.add_option("--size", o.size, "picture size WIDTHxHEIGHT (default 800x600)");
  app.add_option("--capture", o.capture, "draw through the camera of this capture (name or 1..)");
  app.add_option("--html", o.html, "write a self-contained page to browse the PMI to OUT");
}

int KROPmiWritePictures(const std::string& file, KROStepImportResult& r,
                        const KROPmiPictureOptions& o, std::optional<int> face,
                        const std::function<std::vector<int>(int)>& touching) {
  std::string why;
  if (!o.reps.empty()) {
    KROVZBDocumentComponent* loaded = nullptr;
    if (FAILED(KROLoadDocument(o.reps.c_str(), &loaded)) || !loaded)
      return Fail(o.reps + ": not a readable document file");
    // The set borrows its document: switch it over before the importer's document is let go.
    r.set->SetDocument(loaded);
    r.document = KROComPtr<KROVZBDocumentComponent>::Attach(loaded);
    auto services = r.set.As<KROITPSLightSetServices>();
    services->GenerateAllReps();
    services->GenerateAll2DReps();
    services->GenerateAllCapturesReps();
  }
  if (!o.save.empty()) {
    if (!r.document) return Fail(file + ": the model has no visualization document");
    const std::vector<unsigned char> bytes = KROSerializeDocument(*r.document.Get());
    if (bytes.empty()) return Fail(o.save + ": out of memory");
    if (!KROPmiWriteFile(o.save, std::string(bytes.begin(), bytes.end()), why)) return Fail(why);
  }
  if (o.svg.empty() && o.png.empty() && o.html.empty()) return 0;
#ifndef KRO_PMI_WITH_RENDER
  (void)face;
  (void)touching;
  return Fail("this kro-pmi was built without the renderer (cairo): no pictures", kUsage);
#else
  KRORenderOptions options;
  int w = 0, h = 0;
  char tail = 0;
  if (std::sscanf(o.size.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 ||
      w > kKRORenderMaxSide || h > kKRORenderMaxSide)
    return Fail("--size " + o.size + ": expected WIDTHxHEIGHT, each 1.." +
                    std::to_string(kKRORenderMaxSide),
                kUsage);
  options.width = w;
  options.height = h;
  if (!o.capture.empty()) {
    // Through a saved view: its camera, and the annotations it shows only.
    KROComPtr<KROITPSLightCapture> capture;
    int index = 0;
    if (!FindCapture(r, o.capture, capture, index)) return Fail(file + ": no capture " + o.capture);
    options.camera = KRORenderCameraOf(capture.Get());
    std::set<int> shown;
    for (const KROStepCapture& c : r.captures)
      if (c.index == index) shown.insert(c.annotations.begin(), c.annotations.end());
    options.onlyAnnotations = shown;
  }
  if (face) {
    options.shadedFaces.insert(*face);
    std::set<int> shown;
    for (int id : touching(*face))
      if (!options.onlyAnnotations || options.onlyAnnotations->count(id)) shown.insert(id);
    options.onlyAnnotations = shown;
  }
  const KRORenderScene scene = KROStepRenderScene(r);
  for (const auto& [path, png] : {std::pair{o.svg, false}, std::pair{o.png, true}}) {
    if (path.empty()) continue;
    KRORenderOutput out;
    if (!(png ? KRORenderPNG(scene, options, out) : KRORenderSVG(scene, options, out)))
      return Fail(path + ": " + out.error);
    for (const std::string& warning : out.warnings)
      std::cerr << "kro-pmi: " << file << ": " << warning << '\n';
    if (!KROPmiWriteFile(path, out.bytes, why)) return Fail(why);
  }
  if (!o.html.empty()) {
    std::string page;
    if (!KROPmiPage(file, r, scene, options, page, why)) return Fail(o.html + ": " + why);
    if (!KROPmiWriteFile(o.html, page, why)) return Fail(why);
  }
  return 0;
#endif
}
