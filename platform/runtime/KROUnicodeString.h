// KROUnicodeString.h - the runtime's 16-bit text value.
/// \file
///
/// Holds a copy of a zero-terminated `KROWChar` text. Nothing here throws: when memory runs out
/// the string is left empty.
/// \code
///   KROUnicodeString attributes(u"D:3:7:");
///   int colon = attributes.SearchSubString(KROUnicodeString(":"));      // 1
///   int id = 0;
///   if (attributes.SubString(colon + 1, 1).ConvertToNum(&id)) use(id); // 3
///   KROWChar* copy = attributes.NewWCharArray();                       // caller: delete[]
/// \endcode
#pragma once

#include "KROPlatformExport.h"
#include "KROTypes.h"

/// A 16-bit text held by value.
class KRO_PLATFORM_API KROUnicodeString {
public:
  KROUnicodeString() noexcept = default;
  /// Copies `text`; null gives the empty string.
  KROUnicodeString(const KROWChar* text) noexcept;
  /// Widens each byte of an ASCII `text`; null gives the empty string.
  KROUnicodeString(const char* text) noexcept;
  /// A string over `text` itself, which must outlive every string made from it (a string
  /// literal, say): nothing is allocated or freed for it, and copies share it until they are
  /// changed. Null gives the empty string.
  static KROUnicodeString Literal(const KROWChar* text) noexcept;
  ///@{
  /// Copies or takes over `other`'s text (a moved-from string is empty).
  KROUnicodeString(const KROUnicodeString& other) noexcept;
  KROUnicodeString(KROUnicodeString&& other) noexcept;
  KROUnicodeString& operator=(const KROUnicodeString& other) noexcept;
  KROUnicodeString& operator=(KROUnicodeString&& other) noexcept;
  ///@}
  ~KROUnicodeString();

  /// Replaces the content with a copy of `text` (which may point into this string).
  void BuildFromWChar(const KROWChar* text) noexcept;
  /// Writes the length units and a terminating 0 to `out`, which must have room for them.
  void ConvertToWChar(KROWChar* out) const noexcept;
  /// A new array of length + 1 units holding the text, freed by the caller with delete[];
  /// null when it cannot be allocated.
  KROWChar* NewWCharArray() const noexcept;

  /// Number of 16-bit units, the terminating 0 not counted.
  int GetLengthInChar() const noexcept { return length_; }
  /// The zero-terminated text; never null.
  const KROWChar* Data() const noexcept;

  /// True when both hold the same units.
  bool operator==(const KROUnicodeString& other) const noexcept;
  /// Compares with ASCII `text`; a null text never compares equal.
  bool operator==(const char* text) const noexcept;
  /// A null text never compares equal.
  bool operator==(const KROWChar* text) const noexcept;

  /// Position of the first occurrence of `sub` at or after `start`, or -1.
  int SearchSubString(const KROUnicodeString& sub, int start = 0) const noexcept;
  /// The units [start, start + length) that lie inside the text.
  KROUnicodeString SubString(int start, int length) const noexcept;

  /// Reads a decimal int the way "%d" does (leading blanks, optional sign, digits, the rest
  /// ignored). Returns 1 and sets `*value`, or 0 with `*value` untouched when nothing converts,
  /// the number does not fit in 32 bits, or `format` is not "%d".
  int ConvertToNum(int* value, const char* format = "%d") const noexcept;
  /// ConvertToNum of SubString(start, length), without making the substring.
  int ConvertToNum(int* value, const char* format, int start, int length) const noexcept;

private:
  void Assign(const KROWChar* text, int length) noexcept;
  void Release() noexcept; // frees an own block; leaves the string empty

  KROWChar* data_ = nullptr;
  int length_ = 0;
  bool borrowed_ = false; // data_ is a literal's text, not a block of this string's own
};
