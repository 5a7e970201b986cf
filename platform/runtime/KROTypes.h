// KROTypes.h - result codes, interface ids and text units shared by every component.
/// \file
///
/// A result code is a signed 32-bit value: zero or positive is success.
/// \code
///   HRESULT rc = obj->QueryInterface(IID_KROITPSLight, (void**)&light);
///   if (SUCCEEDED(rc)) { ...; light->Release(); }
/// \endcode
#pragma once

#include <cstddef>
#include <cstdint>

/// A result code: zero or positive is success.
using HRESULT = std::int32_t;
/// A reference count, as `AddRef` and `Release` return it.
using ULONG = std::uint32_t;

/// One 16-bit text unit; texts are zero-terminated arrays of them.
using KROWChar = char16_t;

/// Success.
inline constexpr HRESULT S_OK = 0;
/// Success, answering no.
inline constexpr HRESULT S_FALSE = 1;
/// The failure every operation of the library and of this platform reports.
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
/// A query for an interface the component does not offer.
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
/// Memory ran out.
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

///@{
/// Whether a result code reports success or failure.
constexpr bool SUCCEEDED(HRESULT rc) { return rc >= 0; }
constexpr bool FAILED(HRESULT rc) { return rc < 0; }
///@}

/// A 128-bit interface or class id, laid out as the familiar GUID.
struct IID {
  ///@{
  /// The id's fields, in the order a GUID is written: {data1-data2-data3-data4}.
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
  ///@}

  /// True when every field is equal.
  friend constexpr bool operator==(const IID& a, const IID& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.data4[i] != b.data4[i]) return false;
    return true;
  }
};
/// A class id, laid out as an interface id.
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
