// KROStreamer.h - reading and writing the byte streams of visualization documents.
/// \file
/// Encoding: ints are 32-bit little-endian; a class name is a 32-bit length and that many bytes
/// (no terminator); a rep is its class name followed by a body written by the stream extension of
/// that class (KROVizBaseCodeExtension.h).
/// \code
///   KROStreamWriter w;
///   w.WriteInt(1);
///   w.WriteRep(*bag);                  // "KRO3DBagRep" + body
///   KROStreamer r(w.TakeBytes());
///   int count = 0;
///   r.ReadInt(count);
///   char* name = r.ReadClassName();    // new[]; the caller delete[]s it
/// \endcode
///
/// Every read is bounds-checked: a read that would pass the end fails and leaves the position
/// (and any out value) as it was, and no read allocates more than the bytes left could hold.
#pragma once

#include "KROPlatformExport.h"
#include "KROTypes.h"

#include <memory>
#include <vector>

class KRORep;

/// Reads a stream: ints, class names and raw bytes, each read bounds-checked.
class KRO_PLATFORM_API KROStreamer {
public:
  /// An empty reader.
  KROStreamer() = default;
  /// Owns `bytes`.
  explicit KROStreamer(std::vector<unsigned char> bytes) noexcept;
  /// Shares `bytes` with whoever else holds them; null reads as empty.
  explicit KROStreamer(std::shared_ptr<const std::vector<unsigned char>> bytes) noexcept;
  /// Borrows `size` bytes at `data`; the caller keeps them alive while the reader is used.
  KROStreamer(const unsigned char* data, unsigned int size) noexcept;
  KROStreamer(const KROStreamer&) = delete;
  KROStreamer& operator=(const KROStreamer&) = delete;

  /// Bytes held; 0 means the reader is empty.
  unsigned int GetDataCount() const { return size_; }
  /// Bytes read so far: the position of the next read.
  unsigned int GetCurrentPosition() const { return pos_; }
  /// Bytes between the current position and the end.
  unsigned int GetRemaining() const { return size_ - pos_; }

  /// Moves to an absolute position; E_FAIL, position unchanged, past the end.
  HRESULT SetCurrentPosition(unsigned int pos);
  /// Reads a 32-bit little-endian int; E_FAIL, `value` untouched, with fewer than 4 bytes left.
  HRESULT ReadInt(int& value);
  /// Reads a length-prefixed class name into a new[] zero-terminated array the caller delete[]s.
  /// Null, with the position restored, when the length is negative or beyond the bytes left.
  char* ReadClassName();
  /// Copies `n` bytes to `dst`; E_FAIL, nothing consumed, when fewer are left.
  HRESULT ReadBytes(void* dst, unsigned int n);

private:
  std::shared_ptr<const std::vector<unsigned char>> shared_;
  std::vector<unsigned char> owned_;
  const unsigned char* data_ = nullptr;
  unsigned int size_ = 0;
  unsigned int pos_ = 0;
};

/// Builds a stream in memory. A write that runs out of memory is dropped and marks the writer
/// failed (`Good` turns false); nothing throws.
class KRO_PLATFORM_API KROStreamWriter {
public:
  /// Appends a 32-bit little-endian int.
  void WriteInt(int value);
  /// Writes a length-prefixed name; null writes an empty name.
  void WriteClassName(const char* name);
  /// Appends `n` bytes from `data`.
  void WriteBytes(const void* data, unsigned int n);
  /// Overwrites the int written earlier at `pos` (for position tables); ignored if no int fits.
  void PatchInt(unsigned int pos, int value);
  /// Drops everything from `size` on; ignored beyond the current size.
  void Truncate(unsigned int size);

  /// Writes the rep's class name, then its body through the class's stream extension. E_FAIL,
  /// with nothing written, for a class without one or a body that cannot be written.
  HRESULT WriteRep(const KRORep& rep);
  /// Writes the body only (what the extension's `ReadRep` reads).
  HRESULT WriteRepBody(const KRORep& rep);

  /// Bytes written so far: where the next write goes.
  unsigned int GetPosition() const { return static_cast<unsigned int>(bytes_.size()); }
  /// False once a write has been dropped for want of memory.
  bool Good() const { return good_; }
  /// The bytes written so far.
  const std::vector<unsigned char>& GetBytes() const { return bytes_; }
  /// Hands the bytes over and leaves the writer empty.
  std::vector<unsigned char> TakeBytes();

private:
  std::vector<unsigned char> bytes_;
  bool good_ = true;
};
