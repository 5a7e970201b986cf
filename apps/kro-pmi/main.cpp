// kro-pmi - shows the PMI of a STEP AP242 file as the light model holds it.
///
/// Data goes to stdout, diagnostics to stderr. Exit status: 0 done, 1 bad usage, 2 input that
/// cannot be read or output that cannot be written (one line on stderr naming the file and the
/// reason).
///
/// main parses the command line and dispatches; the components do the work, and none of them
/// includes another's header but the model reader's (KROPmiModel) and the output helper's
/// (KROPmiOutput).
#include "KROPmiModel.h"
#include "KROPmiOutput.h"
#include "KROPmiPictures.h"
#include "KROPmiReport.h"
#ifdef KRO_PMI_WITH_PAGE
#include "KROPmiPage.h"
#endif

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <string>

int main(int argc, char** argv) {
  CLI::App app{"kro-pmi: the semantic PMI of a STEP AP242 file, as the light model holds it"};
  std::string file;
  std::optional<int> face;
  std::string jsonOut;
  app.add_option("FILE", file, "STEP AP242 file (.stp, .step)")->required();
  app.add_option("--face", face, "list the annotations that touch the face with this tag");
  CLI::Option* json =
      app.add_option("--json", jsonOut, "write the model as JSON to OUT (stdout without OUT)")
          ->expected(0, 1);
  KROStepReadOptions read;
  bool inProcess = false;
  app.add_flag("--in-process", inProcess,
               "read with OCCT in this process, not in a worker process (for debugging)");
  app.add_option("--time-limit", read.timeLimitSeconds,
                 "stop the worker process reading the file after this many seconds (default 600)")
      ->check(CLI::PositiveNumber);
  KROPmiPictureOptions pictures;
  KROPmiAddPictureOptions(app, pictures);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kKROPmiUsage;
  }
#ifndef KRO_PMI_WITH_PAGE
  if (!pictures.html.empty())
    return KROPmiFail("this kro-pmi was built without its page (KRO_WITH_PAGE=OFF): no --html",
                      kKROPmiUsage);
#endif

  read.isolated = !inProcess;
  read.spareWorker = false; // one file, then the command ends
  read.mesh = KROPmiDraws(pictures);
  KROStepImportResult r = KROStepImportFile(file, read);
  if (!r.ok) {
    std::string why = "cannot read";
    for (const KROStepMessage& m : r.messages)
      if (m.severity == KROStepMessage::Severity::Error) {
        why = m.text;
        break;
      }
    // The reader's errors already name the file.
    return KROPmiFail(why.rfind(file, 0) == 0 ? why : file + ": " + why);
  }
  const KROPmiModel model(r);
  if (face) {
    const KROStepTag* t = r.FindTag(*face);
    if (!t || t->kind != KROStepTag::Kind::Face)
      return KROPmiFail(file + ": no face with tag " + std::to_string(*face));
  }
  if (int rc = KROPmiWritePictures(file, r, model, pictures, face)) return rc;
#ifdef KRO_PMI_WITH_PAGE
  if (!pictures.html.empty())
    if (int rc = KROPmiEmit(pictures.html, KROPmiPage(file, r, model))) return rc;
#endif

  if (face) {
    KROPmiPrintFace(std::cout, r, model, *face);
    return 0;
  }
  if (json->count() > 0)
    return KROPmiEmit(
        jsonOut,
        KROPmiJson(file, r, model).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
            '\n');
  KROPmiPrintSummary(std::cout, file, r, model);
  if (std::size_t n = r.Count(KROStepMessage::Severity::Warning))
    std::cerr << "kro-pmi: " << file << ": " << n << " warning" << (n == 1 ? "" : "s")
              << " while reading (listed in --json)\n";
  std::cout << '\n';
  KROPmiPrintTable(std::cout, model.Annotations());
  return 0;
}
