// KROIndexedStreamWriter.h - writing the indexed streams a document finds reps in by index.
/// \file
/// An indexed stream holds a count, a table of that many positions, then the entries: table
/// entry k (index k, from 1) is the position of entry k's class name, which its body follows
/// (KROStreamer.h). A reader seeks to `EntryPosition(k)`, reads the position and reads the rep
/// there, without reading the others. An index given no entry keeps position 0 in the table.
/// \code
///   KROIndexedStreamWriter w(2);
///   w.WriteRep(2, *second);       // entries in any order
///   w.WriteRep(1, *first);
///   if (w.Good()) builder.SetStream(KROTPSContainers::kAnnotations2DPath, w.TakeBytes());
/// \endcode
#pragma once

#include "KROPlatformExport.h"
#include "KROStreamer.h"
#include "KROTypes.h"

#include <vector>

class KRORep;

/// Builds an indexed stream in memory. Like the stream writer it wraps, it never throws: a write
/// that runs out of memory marks it failed (`Good` turns false).
class KRO_PLATFORM_API KROIndexedStreamWriter {
public:
  /// Bytes the count takes at the start of the stream.
  static constexpr unsigned int kCountBytes = 4;
  /// Bytes each position in the table takes.
  static constexpr unsigned int kEntryBytes = 4;

  /// Where the table entry of `index` lies: right after the count, `kEntryBytes` per index
  /// from 1. Computed wide, so that no int index overflows it; meaningful for index >= 1.
  static constexpr unsigned long long EntryPosition(int index) {
    return kCountBytes + kEntryBytes * (static_cast<unsigned long long>(index) - 1ULL);
  }

  /// Starts a stream of `count` entries: writes the count and a table of `count` zero
  /// positions. A negative count is written as it is, with no table.
  explicit KROIndexedStreamWriter(int count);

  /// The count written at the start.
  int GetCount() const { return count_; }

  /// Writes `rep` (its class name, then its body) as the entry of `index` and points the table
  /// at it. E_FAIL, with nothing written and the table unchanged, for an index outside 1..count
  /// or a rep that cannot be written (a class without a stream extension).
  HRESULT WriteRep(int index, const KRORep& rep);
  /// Points the table entry of `index` at the end of the stream, where the caller then writes
  /// the entry through `Writer` (a class name with no body, say). E_FAIL, nothing changed, for an
  /// index outside 1..count.
  HRESULT BeginEntry(int index);

  /// The stream writer underneath, to write an entry after `BeginEntry` or to damage the stream
  /// on purpose (`PatchInt` at `EntryPosition`, `Truncate`).
  KROStreamWriter& Writer() { return writer_; }
  /// False once a write has been dropped for want of memory.
  bool Good() const { return writer_.Good(); }
  /// The bytes written so far.
  const std::vector<unsigned char>& GetBytes() const { return writer_.GetBytes(); }
  /// Hands the bytes over and leaves the writer empty.
  std::vector<unsigned char> TakeBytes() { return writer_.TakeBytes(); }

private:
  bool HasIndex(int index) const { return index >= 1 && index <= count_; }

  KROStreamWriter writer_;
  int count_ = 0;
};
