// KRODocumentFile.h - saving and loading visualization documents.
/// \file
///
/// \code
///   if (SUCCEEDED(KROSaveDocument(*doc, "part.krod"))) { ... }
///   KROVZBDocumentComponent* loaded = nullptr;
///   if (SUCCEEDED(KROLoadDocument("part.krod", &loaded))) { ...; loaded->Release(); }
/// \endcode
///
/// File layout: the magic "KROD", the version 1 (int), the number of top-level containers (int),
/// then each container as its name (int length + bytes), its stream (int length + bytes; -1 for a
/// container without stream), its number of children (int) and its children. Ints are 32-bit
/// little-endian. Loading trusts nothing: a cut or damaged file fails with E_FAIL (or, where the
/// damage still forms a valid document, loads as that document). Names must be non-empty and
/// unique among siblings, nesting is limited, and no length is believed beyond the bytes left.
#pragma once

#include "KROPlatformExport.h"
#include "KROTypes.h"

#include <cstddef>
#include <vector>

class KROVZBDocumentComponent;

/// The document's bytes in the file layout; empty when memory runs out.
KRO_PLATFORM_API std::vector<unsigned char>
KROSerializeDocument(const KROVZBDocumentComponent& doc);

/// A new document component (one reference) read from `size` bytes at `data`; on failure E_FAIL
/// and `*out` null.
KRO_PLATFORM_API HRESULT KRODeserializeDocument(const unsigned char* data, std::size_t size,
                                                KROVZBDocumentComponent** out);

/// Writes `doc` to the file at `path`; E_FAIL when it cannot be written.
KRO_PLATFORM_API HRESULT KROSaveDocument(const KROVZBDocumentComponent& doc, const char* path);
/// A new document component (one reference) read from the file at `path`; on failure E_FAIL
/// and `*out` null.
KRO_PLATFORM_API HRESULT KROLoadDocument(const char* path, KROVZBDocumentComponent** out);
