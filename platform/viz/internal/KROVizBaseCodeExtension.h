// KROVizBaseCodeExtension.h - per-class stream extensions that read and write rep bodies.
///
/// \code
///   KROVizBaseCodeExtension* ext = KROVizBaseCodeExtension::GetExt(_KROProtocolDmuStreamID, name);
///   KRORep* rep = nullptr;
///   if (ext) {
///     ext->ReadRep(reader, &rep);   // a new rep, or null
///     ext->Release();               // once per GetExt
///   }
/// \endcode
///
/// Body layout: the label (32-bit length + bytes); a group rep then has a child count and each
/// child as class name + body; a polyline rep then has its polylines (KROPolylineRep.h), a
/// triangle rep its points and triangles (KROTriangleRep.h). Nesting is limited to
/// `kMaxRepNesting` levels and a child count that the bytes left could not hold fails at once. A
/// failed read yields null and frees whatever it had built.
#pragma once

#include "KROPlatformInternal.h"

#include "KROPlatformExport.h"
#include "KROTypes.h"

class KRORep;
class KROStreamer;
class KROStreamWriter;

/// The stream protocol under which the rep extensions are found.
inline constexpr IID _KROProtocolDmuStreamID = {
    0x6B524F44, 0x6D75, 0x5374, {0x72, 0x65, 0x61, 0x6D, 0x00, 0x00, 0x00, 0x01}};

class KRO_PLATFORM_API KROProtocolDmuStream {
public:
  static constexpr const IID& kIID = _KROProtocolDmuStreamID;
};

class KRO_PLATFORM_API KROVizBaseCodeExtension {
public:
  /// Deepest nesting of reps a stream may hold; the rep read first is level 1.
  static constexpr int kMaxRepNesting = 16;

  /// The stream extension of "KRO3DBagRep", "KRO2DBagRep", "KRO2DCustomRep",
  /// "KRO3DPolylineRep", "KRO2DPolylineRep" (bodies in KROPolylineRep.h), "KRO3DTriangleRep" or
  /// "KRO2DTriangleRep" (bodies in KROTriangleRep.h) under `_KROProtocolDmuStreamID`; null for
  /// anything else. Call `Release` once when done.
  static KROVizBaseCodeExtension* GetExt(const IID& protocol, const char* className);

  /// Extensions handed out by `GetExt` and not yet released (for tests).
  static long OutstandingCount();

  /// Reads one rep body of this extension's class at the reader's position. On success `*out`
  /// is a new rep made through the rep allocator; on failure it is null and the reader's
  /// position is restored.
  virtual HRESULT ReadRep(KROStreamer* reader, KRORep** out) = 0;
  /// Writes the body of `rep`, which must be of this extension's class. E_FAIL, with nothing
  /// written, for another class, a child without an extension, or nesting beyond the limit.
  virtual HRESULT WriteRep(KROStreamWriter& writer, const KRORep& rep) = 0;
  virtual void Release() = 0;

protected:
  KROVizBaseCodeExtension() = default;
  virtual ~KROVizBaseCodeExtension() = default;
};
