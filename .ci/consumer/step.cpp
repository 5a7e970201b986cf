// A host of the installed importer: reads a part and asks which annotations touch each face.
#include "KROITPSLightSetServices.h"
#include "KROStepImport.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  const long before = KROBaseUnknown::LiveCount();
  std::size_t touched = 0, annotations = 0;
  {
    KROStepImportResult r = KROStepImportFile(argv[1]);
    if (!r.ok) return 1;
    annotations = r.annotations.size();
    auto services = r.set.As<KROITPSLightSetServices>();
    for (int tag : r.FaceTags()) {
      list<KROBaseUnknown>* found = nullptr;
      services->GetListOfAnnotationsWithZORTag(tag, &found);
      touched += found && found->Size() > 0 ? 1 : 0;
      delete found;
    }
  }
  const bool ok = annotations > 0 && touched > 0 && KROBaseUnknown::LiveCount() == before;
  std::printf("consumer step: %zu annotations, %zu faces with PMI: %s\n", annotations, touched,
              ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
