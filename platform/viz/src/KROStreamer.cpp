// KROStreamer.cpp - bounds-checked reading and the in-memory stream writer.
#include "KROStreamer.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

namespace {
constexpr unsigned int kMaxBytes = std::numeric_limits<unsigned int>::max();

unsigned int ClampedSize(std::size_t size) {
  return size > kMaxBytes ? kMaxBytes : static_cast<unsigned int>(size);
}
} // namespace

KROStreamer::KROStreamer(std::vector<unsigned char> bytes) noexcept
    : owned_(std::move(bytes)), data_(owned_.data()), size_(ClampedSize(owned_.size())) {}

KROStreamer::KROStreamer(std::shared_ptr<const std::vector<unsigned char>> bytes) noexcept
    : shared_(std::move(bytes)) {
  if (shared_) {
    data_ = shared_->data();
    size_ = ClampedSize(shared_->size());
  }
}

KROStreamer::KROStreamer(const unsigned char* data, unsigned int size) noexcept
    : data_(data), size_(data ? size : 0) {}

HRESULT KROStreamer::SetCurrentPosition(unsigned int pos) {
  if (pos > size_) return E_FAIL;
  pos_ = pos;
  return S_OK;
}

HRESULT KROStreamer::ReadInt(int& value) {
  if (GetRemaining() < 4) return E_FAIL;
  const unsigned char* p = data_ + pos_;
  const std::uint32_t u = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                          std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
  value = static_cast<int>(u);
  pos_ += 4;
  return S_OK;
}

char* KROStreamer::ReadClassName() {
  const unsigned int start = pos_;
  int length = 0;
  if (FAILED(ReadInt(length))) return nullptr;
  if (length < 0 || static_cast<unsigned int>(length) > GetRemaining()) {
    pos_ = start;
    return nullptr;
  }
  char* name = new (std::nothrow) char[std::size_t(length) + 1];
  if (!name) {
    pos_ = start;
    return nullptr;
  }
  if (length > 0) std::memcpy(name, data_ + pos_, std::size_t(length));
  name[length] = '\0';
  pos_ += static_cast<unsigned int>(length);
  return name;
}

HRESULT KROStreamer::ReadBytes(void* dst, unsigned int n) {
  if (n > GetRemaining() || (!dst && n > 0)) return E_FAIL;
  if (n > 0) std::memcpy(dst, data_ + pos_, n);
  pos_ += n;
  return S_OK;
}

void KROStreamWriter::WriteBytes(const void* data, unsigned int n) {
  if (!good_ || n == 0) return;
  if (!data || n > kMaxBytes - bytes_.size()) {
    good_ = false;
    return;
  }
  const auto* p = static_cast<const unsigned char*>(data);
  try {
    bytes_.insert(bytes_.end(), p, p + n);
  } catch (const std::bad_alloc&) {
    good_ = false;
  }
}

void KROStreamWriter::WriteInt(int value) {
  const auto u = static_cast<std::uint32_t>(value);
  const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                              static_cast<unsigned char>(u >> 16),
                              static_cast<unsigned char>(u >> 24)};
  WriteBytes(b, 4);
}

void KROStreamWriter::WriteClassName(const char* name) {
  const std::size_t length = name ? std::strlen(name) : 0;
  if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    good_ = false;
    return;
  }
  WriteInt(static_cast<int>(length));
  WriteBytes(name, static_cast<unsigned int>(length));
}

void KROStreamWriter::PatchInt(unsigned int pos, int value) {
  if (pos > bytes_.size() || bytes_.size() - pos < 4) return;
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    bytes_[pos + i] = static_cast<unsigned char>(u >> (8 * i));
}

void KROStreamWriter::Truncate(unsigned int size) {
  if (size < bytes_.size()) bytes_.resize(size);
}

std::vector<unsigned char> KROStreamWriter::TakeBytes() {
  std::vector<unsigned char> out;
  out.swap(bytes_);
  return out;
}
