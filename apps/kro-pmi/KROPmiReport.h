// KROPmiReport.h - kro-pmi's text outputs: the summary, the table of annotations, the
// annotations on one face, and the whole model as JSON.
#pragma once

#include "KROPmiModel.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

/// The file's counts, where each kind came from, and the read's times.
void KROPmiPrintSummary(std::ostream& out, const std::string& file, const KROStepImportResult& r,
                        const KROPmiModel& model);

/// One row per annotation (`KROPmiModel::Annotations` entries): id, kind, name, value, text cut
/// at 72 characters, tags as ranges.
void KROPmiPrintTable(std::ostream& out, const std::vector<nlohmann::json>& rows);

/// The annotations the tag query answers for face `tag` (which must be a face of `r`), as a
/// table under a line naming the face.
void KROPmiPrintFace(std::ostream& out, const KROStepImportResult& r, const KROPmiModel& model,
                     int tag);

/// The whole model: parts, annotations, frames, views, captures, units, faces with the tag
/// query's answers, messages.
nlohmann::json KROPmiJson(const std::string& file, const KROStepImportResult& r,
                          const KROPmiModel& model);
