// KROPmiPictures.h - kro-pmi's drawing options, its pictures (--svg, --png) and its saved
// document (--save, --reps).
#pragma once

#include "KROPmiModel.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

/// What kro-pmi draws or saves. `html` is registered here with the other drawing options (it
/// needs the meshed part as they do); `KROPmiPage` writes it.
struct KROPmiPictureOptions {
  std::string svg, png, html, save, reps, capture;
  std::string size = "800x600";
};

/// True when the options ask for a picture or the page: only then is the part meshed.
inline bool KROPmiDraws(const KROPmiPictureOptions& o) {
  return !o.svg.empty() || !o.png.empty() || !o.html.empty();
}

/// Adds --save, --reps, --svg, --png, --size, --capture and --html to the command.
void KROPmiAddPictureOptions(CLI::App& app, KROPmiPictureOptions& options);

/// Binds the document file of --reps to the model (in place of the importer's document), then
/// writes --save, --svg and --png. `face` (from --face) shades that face and keeps only the
/// annotations the tag query answers for it. Returns 0, or an exit status after printing one
/// line.
int KROPmiWritePictures(const std::string& file, KROStepImportResult& r, const KROPmiModel& model,
                        const KROPmiPictureOptions& options, std::optional<int> face);
