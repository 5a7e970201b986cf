// KROTPSObjectKind.h - the kinds of object a set lists, and the two integer codes that name them.
///
/// Hosts name a kind by an int in two places, numbered differently: the id broker
/// (KROITPSIdBroker: 1 annotations, 2 views, 3 TTRS, 4 reference frames, 5 constructed
/// geometries) and rep binding (1 annotations, 2 views, 3 captures, 4 constructed geometries).
/// Both read their codes through the tables below; the library itself speaks of kinds.
#pragma once

#include "KROTPSKernelPrivate.h"

#include <span>

enum class KROTPSObjectKind { Annotation, View, TTRS, RefFrame, CG, Capture, None };

/// Kind of each id-broker code, from code 1.
inline constexpr KROTPSObjectKind kKROIdKinds[] = {
    KROTPSObjectKind::Annotation, KROTPSObjectKind::View, KROTPSObjectKind::TTRS,
    KROTPSObjectKind::RefFrame, KROTPSObjectKind::CG};
/// Kind of each rep-binding code, from code 1.
inline constexpr KROTPSObjectKind kKRORepKinds[] = {
    KROTPSObjectKind::Annotation, KROTPSObjectKind::View, KROTPSObjectKind::Capture,
    KROTPSObjectKind::CG};

/// The kind `code` names in `codes`; None for a code outside it.
constexpr KROTPSObjectKind KROKindOfCode(std::span<const KROTPSObjectKind> codes, int code) {
  return code >= 1 && static_cast<unsigned>(code) <= codes.size() ? codes[code - 1]
                                                                  : KROTPSObjectKind::None;
}

/// The code of `kind` in `codes`; 0 for a kind that has none there.
constexpr int KROCodeOfKind(std::span<const KROTPSObjectKind> codes, KROTPSObjectKind kind) {
  for (std::size_t i = 0; i < codes.size(); ++i)
    if (codes[i] == kind) return static_cast<int>(i) + 1;
  return 0;
}
