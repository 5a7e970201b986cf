// KROTPSKernelPrivate.h - included first by every header private to the kernel's build.
///
/// The kernel's classes, ties, indexes and helpers are not installed; only the interfaces folder
/// is. Its tests and benchmarks reach these headers through the kernel's object library.
#pragma once

#ifndef KRO_TPS_KERNEL_PRIVATE
#error                                                                                             \
    "a header private to the kernel is included from outside its build: include only the installed headers"
#endif
