// KROStepRenderScene.h - the scene the renderer draws for an imported model.
///
/// Header only, for hosts that link both the importer and the renderer:
/// \code
///   KRORenderScene scene = KROStepRenderScene(result);   // part geometry + annotations
///   KRORenderOutput png;
///   KRORenderPNG(scene, options, png);
/// \endcode
#pragma once

#include "KRORender.h"
#include "KROStepImport.h"

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
