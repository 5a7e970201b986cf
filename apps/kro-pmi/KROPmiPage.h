// KROPmiPage.h - the self-contained HTML page that browses a part's PMI.
#pragma once

#include "KRORender.h"
#include "KROStepImport.h"

#include <string>

/// The page: one inline SVG per camera (the default or `options.camera`, then each capture's),
/// the table of annotations, and a script that highlights the chosen annotation and its faces.
/// Nothing is fetched: no external script, style or font. False, with `why`, when a picture
/// cannot be drawn.
bool KROPmiPage(const std::string& file, const KROStepImportResult& r, const KRORenderScene& scene,
                const KRORenderOptions& options, std::string& page, std::string& why);
