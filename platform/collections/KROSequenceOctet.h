// KROSequenceOctet.h - the object modeler's octet sequence (thumbnail image bytes).
/// \file
///
/// A value type: copies and assignments copy the bytes. Nothing here throws; a copy that cannot
/// be allocated comes out empty.
/// \code
///   _SEQUENCE_octet thumbnail{0x89, 'P', 'N', 'G'};
///   view->SetThumbnailData(thumbnail);
///   _SEQUENCE_octet back;
///   view->GetThumbnailData(back);  // back == thumbnail
/// \endcode
#pragma once

#include <cstring>
#include <initializer_list>
#include <new>
#include <utility>

/// A sequence of bytes held by value.
class _SEQUENCE_octet {
public:
  ///@{
  /// An empty sequence, or a copy of the given bytes (empty when they cannot be allocated).
  _SEQUENCE_octet() noexcept = default;
  _SEQUENCE_octet(std::initializer_list<unsigned char> bytes) noexcept {
    Assign(bytes.begin(), static_cast<int>(bytes.size()));
  }
  _SEQUENCE_octet(const unsigned char* bytes, int length) noexcept { Assign(bytes, length); }
  _SEQUENCE_octet(const _SEQUENCE_octet& other) noexcept { Assign(other.data_, other.length_); }
  ///@}
  /// Takes `other`'s bytes over, leaving it empty.
  _SEQUENCE_octet(_SEQUENCE_octet&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), length_(std::exchange(other.length_, 0)) {}

  /// Replaces the bytes with a copy of `other`'s.
  _SEQUENCE_octet& operator=(const _SEQUENCE_octet& other) noexcept {
    if (this != &other) Assign(other.data_, other.length_);
    return *this;
  }
  /// Takes `other`'s bytes over, leaving it empty.
  _SEQUENCE_octet& operator=(_SEQUENCE_octet&& other) noexcept {
    if (this != &other) {
      delete[] data_;
      data_ = std::exchange(other.data_, nullptr);
      length_ = std::exchange(other.length_, 0);
    }
    return *this;
  }

  ~_SEQUENCE_octet() { delete[] data_; }

  /// Number of bytes.
  int length() const noexcept { return length_; }
  /// The byte at 0-based `i`, or 0 outside the sequence.
  unsigned char operator[](int i) const noexcept { return i >= 0 && i < length_ ? data_[i] : 0; }
  /// The bytes (null when empty).
  const unsigned char* data() const noexcept { return data_; }

  /// True when both hold the same bytes.
  friend bool operator==(const _SEQUENCE_octet& a, const _SEQUENCE_octet& b) noexcept {
    return a.length_ == b.length_ &&
           (a.length_ == 0 || std::memcmp(a.data_, b.data_, std::size_t(a.length_)) == 0);
  }

private:
  void Assign(const unsigned char* bytes, int length) noexcept {
    unsigned char* block = nullptr;
    if (bytes && length > 0) {
      block = new (std::nothrow) unsigned char[std::size_t(length)];
      if (block) std::memcpy(block, bytes, std::size_t(length));
    }
    delete[] data_;
    data_ = block;
    length_ = block ? length : 0;
  }

  unsigned char* data_ = nullptr;
  int length_ = 0;
};
