// KROTypes.h - result codes, interface ids and text units shared by every component.
///
/// A result code is a signed 32-bit value: zero or positive is success.
/// \code
///   HRESULT rc = obj->QueryInterface(IID_KROITPSLight, (void**)&light);
///   if (SUCCEEDED(rc)) { ...; light->Release(); }
/// \endcode
#pragma once

#include <cstddef>
#include <cstdint>

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;

/// One 16-bit text unit; texts are zero-terminated arrays of them.
using KROWChar = char16_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr bool SUCCEEDED(HRESULT rc) { return rc >= 0; }
constexpr bool FAILED(HRESULT rc) { return rc < 0; }

/// A 128-bit interface or class id, laid out as the familiar GUID.
struct IID {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];

  friend constexpr bool operator==(const IID& a, const IID& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.data4[i] != b.data4[i]) return false;
    return true;
  }
};
using CLSID = IID;

/// A cheap, well-spread hash of an id (used by the interface dictionary).
constexpr std::size_t KROHashIID(const IID& id) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
  mix(id.data1);
  mix((std::uint64_t(id.data2) << 16) | id.data3);
  for (int i = 0; i < 8; ++i)
    mix(id.data4[i]);
  return static_cast<std::size_t>(h ^ (h >> 29));
}
