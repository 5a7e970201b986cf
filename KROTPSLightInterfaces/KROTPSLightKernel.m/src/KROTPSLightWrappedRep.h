// KROTPSLightWrappedRep.h - the group rep a light object keeps its rep in.
#pragma once

#include "KROTPSKernelPrivate.h"

/// Destroys an owned group rep, if any, and forgets it.
template <class Bag> void KRODestroyBag(Bag*& bag) {
  if (bag) bag->Destroy();
  bag = nullptr;
}

/// Binds `rep` inside a new group rep of type Bag that the caller owns, then destroys the previous
/// bag. Building the new bag first keeps a rep that is set again alive: the old bag lets go of it
/// while the new one still holds it.
template <class Bag, class Rep> void KROReplaceWrappedRep(Rep* rep, Rep*& heldRep, Bag*& heldBag) {
  Bag* bag = nullptr;
  if (rep) {
    bag = new (nullptr, nullptr, 0) Bag();
    if (bag && !bag->AddChild(*rep)) {
      bag->Destroy(); // empty: frees only the bag
      bag = nullptr;
    }
  }
  Bag* old = heldBag;
  heldRep = rep;
  // Without a new bag holding the rep, an old bag that holds this very rep is kept: destroying
  // it would destroy the rep that is being bound.
  if (rep && !bag && old && old->GetChildren() && old->GetChildren()->Locate(rep) >= 0) return;
  heldBag = bag;
  if (old) old->Destroy();
}
