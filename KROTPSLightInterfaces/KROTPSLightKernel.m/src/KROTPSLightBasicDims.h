// KROTPSLightBasicDims.h - the basic dimensions that an attributes text names.
///
/// Annotations and reference frames name their basic dimensions in their attributes text: a
/// header, then annotation ids of the owning set, each followed by ":".
/// \code
///   // attributes "D:3:7:" -> the set's annotations 3 and 7 (1-based ids), in that order
///   return KROGetBasicDims(attributes_, *this, basicDims_, dims);
/// \endcode
/// Text before the first ":" and after the last one is never read. Empty fields, fields that do
/// not convert, 0, ids outside 32 bits and ids the set cannot resolve are skipped; duplicates stay.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROList.h"
#include "KROTypes.h"

class KROBaseUnknown;
class KROTPSLightAdapt;
class KROUnicodeString;

/// Hands out `dims`, building it on the first call that finds a ":" after the first character.
/// Once built the list is a cache: it is not rebuilt when the text changes, and it stays (empty)
/// when the set of `owner` or its id broker cannot be reached, which that first call reports
/// with E_FAIL. The list is `owner`'s; its items are borrowed. `ownClass` tells whether `owner`
/// is exactly the library's own class (KROExactly), which reaches its set only through its set
/// link: the set's annotation list is then read directly when the set is the library's own too.
HRESULT KROGetBasicDims(const KROUnicodeString& attributes, KROTPSLightAdapt& owner, bool ownClass,
                        list<KROBaseUnknown>*& dims, list<KROBaseUnknown>** out);
