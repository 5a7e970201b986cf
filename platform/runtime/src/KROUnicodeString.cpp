// KROUnicodeString.cpp - the runtime's 16-bit text value.
#include "KROUnicodeString.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace {

// Lengths are ints; a longer text is treated like an allocation failure.
long long TextLength(const KROWChar* text) {
  long long n = 0;
  while (text[n] != 0) {
    if (n == INT_MAX - 1) return -1;
    ++n;
  }
  return n;
}

bool IsBlank(KROWChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

KROUnicodeString::KROUnicodeString(const KROWChar* text) noexcept { BuildFromWChar(text); }

KROUnicodeString::KROUnicodeString(const char* text) noexcept {
  if (!text) return;
  const std::size_t n = std::strlen(text);
  if (n == 0 || n >= std::size_t(INT_MAX)) return;
  KROWChar* block = new (std::nothrow) KROWChar[n + 1];
  if (!block) return;
  for (std::size_t i = 0; i < n; ++i)
    block[i] = static_cast<unsigned char>(text[i]);
  block[n] = 0;
  data_ = block;
  length_ = static_cast<int>(n);
}

KROUnicodeString KROUnicodeString::Literal(const KROWChar* text) noexcept {
  KROUnicodeString literal;
  const long long n = text ? TextLength(text) : 0;
  if (n > 0) {
    literal.data_ = const_cast<KROWChar*>(text); // never written through: borrowed_
    literal.length_ = static_cast<int>(n);
    literal.borrowed_ = true;
  }
  return literal;
}

KROUnicodeString::KROUnicodeString(const KROUnicodeString& other) noexcept { *this = other; }

KROUnicodeString::KROUnicodeString(KROUnicodeString&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), length_(std::exchange(other.length_, 0)),
      borrowed_(std::exchange(other.borrowed_, false)) {}

KROUnicodeString& KROUnicodeString::operator=(const KROUnicodeString& other) noexcept {
  if (this == &other) return *this;
  if (!other.borrowed_) {
    Assign(other.data_, other.length_);
    return *this;
  }
  Release();
  data_ = other.data_;
  length_ = other.length_;
  borrowed_ = true;
  return *this;
}

KROUnicodeString& KROUnicodeString::operator=(KROUnicodeString&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    length_ = std::exchange(other.length_, 0);
    borrowed_ = std::exchange(other.borrowed_, false);
  }
  return *this;
}

KROUnicodeString::~KROUnicodeString() { Release(); }

void KROUnicodeString::Release() noexcept {
  if (!borrowed_) delete[] data_;
  data_ = nullptr;
  length_ = 0;
  borrowed_ = false;
}

void KROUnicodeString::Assign(const KROWChar* text, int length) noexcept {
  KROWChar* block = nullptr;
  if (text && length > 0) {
    block = new (std::nothrow) KROWChar[std::size_t(length) + 1];
    if (block) {
      std::memcpy(block, text, sizeof(KROWChar) * std::size_t(length));
      block[length] = 0;
    }
  }
  // The old buffer goes only after the copy, since `text` may point into it.
  Release();
  data_ = block;
  length_ = block ? length : 0;
}

void KROUnicodeString::BuildFromWChar(const KROWChar* text) noexcept {
  const long long n = text ? TextLength(text) : 0;
  Assign(text, n > 0 ? static_cast<int>(n) : 0);
}

void KROUnicodeString::ConvertToWChar(KROWChar* out) const noexcept {
  if (!out) return;
  if (length_ > 0) std::memcpy(out, data_, sizeof(KROWChar) * std::size_t(length_));
  out[length_] = 0;
}

KROWChar* KROUnicodeString::NewWCharArray() const noexcept {
  KROWChar* out = new (std::nothrow) KROWChar[std::size_t(length_) + 1];
  ConvertToWChar(out);
  return out;
}

const KROWChar* KROUnicodeString::Data() const noexcept { return data_ ? data_ : u""; }

bool KROUnicodeString::operator==(const KROUnicodeString& other) const noexcept {
  return length_ == other.length_ &&
         (length_ == 0 ||
          std::memcmp(data_, other.data_, sizeof(KROWChar) * std::size_t(length_)) == 0);
}

bool KROUnicodeString::operator==(const char* text) const noexcept {
  if (!text) return false;
  int i = 0;
  for (; i < length_; ++i)
    if (text[i] == 0 || data_[i] != static_cast<unsigned char>(text[i])) return false;
  return text[i] == 0;
}

bool KROUnicodeString::operator==(const KROWChar* text) const noexcept {
  if (!text) return false;
  int i = 0;
  for (; i < length_; ++i)
    if (text[i] == 0 || data_[i] != text[i]) return false;
  return text[i] == 0;
}

int KROUnicodeString::SearchSubString(const KROUnicodeString& sub, int start) const noexcept {
  if (start < 0) start = 0;
  if (start > length_ || sub.length_ > length_ - start) return -1;
  const KROWChar* text = Data();
  for (int at = start; at <= length_ - sub.length_; ++at)
    if (sub.length_ == 0 ||
        std::memcmp(text + at, sub.data_, sizeof(KROWChar) * std::size_t(sub.length_)) == 0)
      return at;
  return -1;
}

KROUnicodeString KROUnicodeString::SubString(int start, int length) const noexcept {
  long long from = start;
  long long to = from + length;
  if (from < 0) from = 0;
  if (to > length_) to = length_;
  KROUnicodeString result;
  if (from < to) result.Assign(data_ + from, static_cast<int>(to - from));
  return result;
}

int KROUnicodeString::ConvertToNum(int* value, const char* format) const noexcept {
  return ConvertToNum(value, format, 0, length_);
}

int KROUnicodeString::ConvertToNum(int* value, const char* format, int start,
                                   int length) const noexcept {
  if (!value || !format || std::strcmp(format, "%d") != 0) return 0;
  // The units [from, to) that SubString(start, length) would hold.
  long long from = start;
  long long to = from + length;
  if (from < 0) from = 0;
  if (to > length_) to = length_;
  const KROWChar* text = Data();
  auto at = [&](long long i) -> KROWChar { return i < to ? text[i] : KROWChar(0); };
  long long i = from;
  while (IsBlank(at(i)))
    ++i;
  bool negative = false;
  if (at(i) == u'+' || at(i) == u'-') negative = at(i++) == u'-';
  if (at(i) < u'0' || at(i) > u'9') return 0;
  // Accumulate the magnitude, stopping at the first digit that takes it past what an int holds.
  const long long limit = negative ? -(long long)INT_MIN : (long long)INT_MAX;
  long long magnitude = 0;
  for (; at(i) >= u'0' && at(i) <= u'9'; ++i) {
    magnitude = magnitude * 10 + (at(i) - u'0');
    if (magnitude > limit) return 0;
  }
  *value = static_cast<int>(negative ? -magnitude : magnitude);
  return 1;
}
