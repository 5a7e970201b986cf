// KROStepRenderScene.h - the scene the renderer draws for an imported model.
///
/// Header only, for hosts that link both the importer and the renderer: reading and drawing are
/// siblings, and this header is where a host joins them.
/// \code
///   KRORenderScene scene = KROStepRenderScene(result);   // part geometry + annotations
///   KRORenderOutput png;
///   KRORenderPNG(scene, options, png);
///   KROStepDrawThumbnails(result);                       // each capture's thumbnail
/// \endcode
#pragma once

#include "KROITPSLightCapture.h"
#include "KRORender.h"
#include "KROStepImport.h"

#include <string>

/// The part's faces and edges from the side table, the annotations from the light model (the
/// polylines of their bound reps, markers at their planes' origins), and each annotation's tags.
inline KRORenderScene KROStepRenderScene(const KROStepImportResult& r) {
  KRORenderScene scene;
  for (const KROStepTagGeometry& f : r.geometry.faces)
    scene.faces.push_back({f.tag, f.points});
  for (const KROStepTagGeometry& e : r.geometry.edges)
    scene.edges.push_back({e.tag, e.points});
  scene.annotations = KRORenderAnnotationsOf(r.set.Get());
  for (KRORenderAnnotation& a : scene.annotations)
    if (a.id >= 1 && static_cast<std::size_t>(a.id) <= r.annotations.size())
      a.tags = r.annotations[static_cast<std::size_t>(a.id - 1)].tags;
  return scene;
}

/// Gives each capture of `r` a `size` x `size` PNG thumbnail of the part and its annotations
/// drawn through the capture's own camera. A capture that cannot be drawn keeps its thumbnail
/// and adds a warning to `r.messages`. Returns how many thumbnails were drawn.
inline int KROStepDrawThumbnails(KROStepImportResult& r, int size = 256) {
  list<KROBaseUnknown>* captures = nullptr;
  if (!r.set || FAILED(r.set->GetCaptureList(&captures)) || !captures || captures->Size() == 0)
    return 0;
  const KRORenderScene scene = KROStepRenderScene(r);
  int drawn = 0;
  KROForEachAs<KROITPSLightCapture>(
      captures, [&](const KROComPtr<KROITPSLightCapture>& capture, int i) {
        KRORenderOptions options;
        options.width = options.height = size;
        options.camera = KRORenderCameraOf(capture.Get());
        KRORenderOutput png;
        const std::string which = "capture " + std::to_string(i + 1);
        if (!KRORenderPNG(scene, options, png)) {
          r.messages.push_back(
              {KROStepMessage::Severity::Warning, which + ": no thumbnail (" + png.error + ")"});
          return;
        }
        for (const std::string& w : png.warnings)
          r.messages.push_back({KROStepMessage::Severity::Warning, which + " thumbnail: " + w});
        capture->SetThumbnailData(
            _SEQUENCE_octet(reinterpret_cast<const unsigned char*>(png.bytes.data()),
                            static_cast<int>(png.bytes.size())));
        ++drawn;
      });
  return drawn;
}
