// KRODictionary.h - the interface dictionary: which class answers which interface, through which
// tie.
///
/// One entry per (class, interface) pair. `QueryInterface` on a component looks up its class (and
/// its parents), then the data extensions of those classes, by (metaclass, interface id) in a hash
/// map; no strings are compared on that path.
#pragma once

#include "KROPlatformInternal.h"

#include "KROBaseUnknown.h"
#include "KROMetaClass.h"

#include <vector>

/// Creates (or finds) the tie of an interface on `impl`; the result carries one reference for the
/// caller. `other` is the component that was asked.
using KROTieCreateFn = KROBaseUnknown* (*)(KROBaseUnknown* impl, KROBaseUnknown* other);

/// Adds the entry (class, tie metaclass's interface). Returns S_OK, or E_FAIL for null arguments or
/// a pair that is already registered.
KRO_PLATFORM_API HRESULT KROFillDictionary(KROMetaClass* classMeta, KROMetaClass* tieMeta,
                                           KROTieCreateFn createTie, void* reserved, int flag);

/// Answers `QueryInterface` for a component (not an extension, not a tie).
KRO_PLATFORM_API HRESULT KRODictionaryQuery(KROBaseUnknown* component, const IID& iid, void** out);

/// The interface id registered under an interface name, or null.
KRO_PLATFORM_API const IID* KRODictionaryFindInterface(const char* interfaceName);

struct KRODictionaryEntryInfo {
  const KROMetaClass* classMeta;
  const KROMetaClass* tieMeta;
  KROTieCreateFn createTie;
};
/// Every entry, in the order entries were made.
KRO_PLATFORM_API std::vector<KRODictionaryEntryInfo> KRODictionaryEntries();
