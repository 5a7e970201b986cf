// KROTPSListMembership.h - what the removal indexes keep in each light object.
///
/// Each light object carries one record, reached only by the entry and holder indexes
/// (KROTPSLightAdapt::Membership). It says which set list counts the object, how often, and
/// which holder index the object's own lists report to.
#pragma once

#include "KROTPSKernelPrivate.h"

#include <cstdint>

class KROTPSEntryIndex;
class KROTPSHolderIndex;

/// What the entry index of one set list knows of an object of its class. Kept in the object.
struct KROTPSListMembership {
  KROTPSEntryIndex* index = nullptr; // the set list that counts this object, or null
  /// The holder index this object's lists report to: that of the last set that counted it. It
  /// stays when the object leaves the set's list, so that leaving and coming back cost nothing.
  KROTPSHolderIndex* heldIn = nullptr;
  int count = 0;    // occurrences in that list; -1 once listed by two sets' lists at a time,
                    // after which no list counts the object again
  int lastSeq = -1; // sequence number of the last occurrence; -1 when not known
  std::uint32_t holderSlot = 0; // this object's number in `heldIn`, while that is set
  bool otherSet = false;        // counted while its set link names another set, or none
};
