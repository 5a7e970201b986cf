// KROPmiPage.h - the self-contained 3D page that browses a part and its PMI.
#pragma once

#include "KROPmiModel.h"

#include <string>

/// The page's script (three.js and the viewer, bundled and minified by esbuild at build time),
/// in pieces that end with a null pointer. Generated from apps/kro-pmi/page by build.mjs.
extern const char* const kKROPmiViewerScript[];

/// Writes the page into `page`: one HTML file holding the viewer's script and the model's data
/// (the meshed part, its edges, the callouts' strokes and fills, the annotations, their datum
/// systems, the saved views, and for each face the annotations the library's tag query answers
/// for it). Nothing is fetched: no external script, style, font or image. `r` must have been
/// read with its mesh.
std::string KROPmiPage(const std::string& file, const KROStepImportResult& r,
                       const KROPmiModel& model);
