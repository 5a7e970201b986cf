// KROStepWire.h - a plain read as bytes, for a worker process to hand to its host.
///
/// The layout: 8 bytes "KROSTEP\0", the format version (little-endian uint32), the body's length
/// in bytes (little-endian uint64), then the body: CBOR, one map per struct keyed by field name,
/// with point lists as byte strings of little-endian doubles (x, y, z per point).
///
/// The host trusts nothing of what it is given: the decoder checks the header, the length, the
/// nesting, every field's type and every index the model side follows, so that a half-written,
/// garbled or hostile message is an error and never a crash or an out-of-range read.
#pragma once

#include "KROStepPmi.h"

#include <cstdint>
#include <string>
#include <string_view>

/// The format KROStepEncode writes and the only one KROStepDecode accepts.
inline constexpr std::uint32_t KROStepWireVersion = 3;

/// The largest body KROStepDecode accepts, 4 GiB: a claim beyond it is refused before anything
/// is allocated for it.
inline constexpr std::uint64_t KROStepWireMaxBody = std::uint64_t{4} << 30;

/// `read` as a message: header and body, every field of every struct it holds. Never throws;
/// returns an empty string when memory runs out (which the decoder refuses as cut short).
std::string KROStepEncode(const KROStepPlainRead& read);

/// Reads a message KROStepEncode wrote into `out`. Never throws. On failure returns false,
/// leaves `out` as it was and puts a short reason in `error` ("not a result of the reader",
/// "result format 3, expected 1", "result cut short", "malformed result:
/// pmi.objects[2].shapes[0] is 9, not an index into pmi.shapes (3)", …). Refuses a wrong header,
/// a length that disagrees with `bytes`, a body over KROStepWireMaxBody, a wrong type or missing
/// field, a point list that is not whole points, enum values out of range, and every index the
/// model side follows that points outside what it indexes; a non-finite coordinate passes.
bool KROStepDecode(std::string_view bytes, KROStepPlainRead& out, std::string& error);
