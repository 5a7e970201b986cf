// KROTPSRemovalIndex.h - what lets a removal visit only what links the leaving object.
///
/// Two indexes per set, both fed by list watches (KROList.h), so that edits made through the
/// lists the getters hand out are seen as well:
/// - one `KROTPSEntryIndex` per counted set list: how many times each object of the list's own
///   class is listed, and where its last occurrence stands (positions kept by sequence number in
///   a Fenwick tree, so that the shift of a removal moves no record);
/// - one `KROTPSHolderIndex`: for each pointer value, the objects whose own lists hold it
///   (annotation, reference-frame and capture lists). A holder is attached when one of the set's
///   lists counts it and it holds something, or when it gets its first item while counted; it
///   stays attached until it dies or another set counts it. A pass visits only the candidates
///   the set's list counts.
/// \code
///   if (index.Complete() && !holders.WalkOnly()) {
///     holders.Take(x, KROTPSHeldRole::CaptureTpss, candidates);  // who may hold x
///     for (KROTPSLightAdapt* h : candidates) ... if the set's list counts h, h drops x ...
///   }
/// \endcode
/// The holder index may name more objects than hold the value, never fewer: a removal has each
/// candidate the set lists drop every occurrence of the value, which is what the full walk
/// leaves it with, and one that holds nothing finds nothing.
/// Whatever the indexes cannot vouch for - an entry of another class or a tie, an object listed
/// by two sets, a holder list whose cursor was set past its end - sends the removal back to the
/// full walk.
///
/// Where each piece lives:
/// - KROTPSListMembership.h: the record each light object keeps for the indexes;
/// - KROTPSHeldRole.h: the roles of the holders' lists and links;
/// - KROTPSHolder.h: the hook through which a holder class registers what it holds;
/// - KROTPSHolderIndex.h, KROTPSEntryIndex.h: the two indexes;
/// - KROTPSHeldListsWatch.h: the watch that reports each change of a holder's lists;
/// - KROFenwickTree.h: the positions behind the entry index.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROTPSEntryIndex.h"
#include "KROTPSHeldListsWatch.h"
#include "KROTPSHeldRole.h"
#include "KROTPSHolder.h"
#include "KROTPSHolderIndex.h"
#include "KROTPSListMembership.h"
