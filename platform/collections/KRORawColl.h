// KRORawColl.h - the runtime's growable collections of plain values, indexed from 1.
/// \file
///
/// \code
///   KRORawCollint ids;
///   ids.Append(4);
///   ids.Append(9);
///   int second = ids[2];  // 9; ids[0] and ids[3] give 0
/// \endcode
///
/// Nothing here throws. A failed allocation makes `Append` return 0; a copy that cannot be
/// allocated comes out empty.
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

/// A growable collection of plain values, indexed from 1.
template <class T> class KRORawColl {
  static_assert(std::is_trivially_copyable_v<T>, "KRORawColl holds plain values only");

public:
  /// `initialSize` is a capacity hint; the collection starts empty.
  explicit KRORawColl(int initialSize = 0) noexcept {
    if (initialSize > 0) {
      data_ = new (std::nothrow) T[std::size_t(initialSize)];
      if (data_) capacity_ = initialSize;
    }
  }

  /// A copy of `other`'s values (empty when it cannot be allocated).
  KRORawColl(const KRORawColl& other) noexcept { CopyFrom(other); }

  /// Replaces the content with a copy of `other`'s.
  KRORawColl& operator=(const KRORawColl& other) noexcept {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  ~KRORawColl() { delete[] data_; }

  /// Adds `v` at the end; 1 on success, 0 when the storage could not grow.
  int Append(T v) noexcept {
    if (size_ == capacity_) {
      if (capacity_ == INT_MAX) return 0;
      const int grown = capacity_ > INT_MAX / 2 ? INT_MAX : (capacity_ < 4 ? 4 : capacity_ * 2);
      T* block = new (std::nothrow) T[std::size_t(grown)];
      if (!block) return 0;
      if (size_ > 0) std::memcpy(block, data_, sizeof(T) * std::size_t(size_));
      delete[] data_;
      data_ = block;
      capacity_ = grown;
    }
    data_[size_++] = v;
    return 1;
  }

  /// Number of values.
  int Size() const noexcept { return size_; }

  /// The value at 1-based position `i`, or T{} outside 1 .. Size().
  T operator[](int i) const noexcept { return i >= 1 && i <= size_ ? data_[i - 1] : T{}; }

  /// Overwrites the value at 1-based position `i`; ignored outside 1 .. Size().
  void Set(int i, T v) noexcept {
    if (i >= 1 && i <= size_) data_[i - 1] = v;
  }

  /// Forgets every value, keeping the storage.
  void RemoveAll() noexcept { size_ = 0; }

  /// The values in order (null while no storage exists).
  const T* Data() const noexcept { return data_; }

private:
  void CopyFrom(const KRORawColl& other) noexcept {
    T* block = nullptr;
    if (other.size_ > 0) {
      block = new (std::nothrow) T[std::size_t(other.size_)];
      if (block) std::memcpy(block, other.data_, sizeof(T) * std::size_t(other.size_));
    }
    delete[] data_;
    data_ = block;
    size_ = capacity_ = block ? other.size_ : 0;
  }

  T* data_ = nullptr;
  int size_ = 0;
  int capacity_ = 0;
};

/// Ints: link ids, geometry paths.
using KRORawCollint = KRORawColl<int>;
/// Untyped pointers: a TTRS's or a capture's collections handed out.
using KRORawCollPV = KRORawColl<void*>;
/// Doubles: a view's points.
using KRORawColldouble = KRORawColl<double>;
