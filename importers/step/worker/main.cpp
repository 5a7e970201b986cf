// kro-step-worker: reads one STEP file with OCCT for a host process and sends back what it read.
// It ends with _exit: OCCT's model is left to the end of the process, not torn down.
#include "KROStepImport.h"

#include <unistd.h>

int main(int argc, char** argv) { ::_exit(KROStepWorkerMain(argc, argv)); }
