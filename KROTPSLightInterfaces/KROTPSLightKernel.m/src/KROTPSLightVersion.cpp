// KROTPSLightVersion.cpp - the version this library was built as, for hosts to check at run time.
#include "KROTPSLightKernelVersion.h"

const char* KROTPSLightKernelVersionString() { return KRO_TPS_LIGHT_KERNEL_VERSION_STRING; }

int KROTPSLightKernelVersionNumber() { return KRO_TPS_LIGHT_KERNEL_VERSION; }
