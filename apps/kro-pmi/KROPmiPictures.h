// KROPmiPictures.h - kro-pmi's pictures, page and saved document.
#pragma once

#include "KROITPSLightCapture.h"
#include "KROStepImport.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct KROPmiPictureOptions {
  std::string svg, png, html, save, reps, capture;
  std::string size = "800x600";
};

/// A capture of the model with its name (UTF-8, empty when it has none) and its position in the
/// capture list, from 1: what --capture and the page choose by.
struct KROPmiCapture {
  int index = 0;
  std::string name;
  KROComPtr<KROITPSLightCapture> capture;
};

/// The model's captures, in list order.
std::vector<KROPmiCapture> KROPmiCaptures(const KROStepImportResult& r);

/// True when the options ask for a picture or a page: only then is the part meshed.
inline bool KROPmiDraws(const KROPmiPictureOptions& o) {
  return !o.svg.empty() || !o.png.empty() || !o.html.empty();
}

/// Adds --save, --reps, --svg, --png, --size, --capture and --html to the command.
void KROPmiAddPictureOptions(CLI::App& app, KROPmiPictureOptions& options);

/// Binds the document file of --reps to the model (in place of the importer's document), then
/// writes what the options ask for. `face` (from --face) shades that face and keeps only the
/// annotations `touching` answers for it. Returns 0, or an exit status after printing one line.
int KROPmiWritePictures(const std::string& file, KROStepImportResult& r,
                        const KROPmiPictureOptions& options, std::optional<int> face,
                        const std::function<std::vector<int>(int)>& touching);

/// Writes `bytes` to `path` through a temporary file renamed into place, so that a failure leaves
/// no partial file. False, with `why` set, on failure.
bool KROPmiWriteFile(const std::string& path, const std::string& bytes, std::string& why);
