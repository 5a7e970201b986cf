// KROTPSLightKernelExport.h - symbol visibility for KROTPSLightKernel.
/// \file
#pragma once

#define KRO_KERNEL_API __attribute__((visibility("default")))
