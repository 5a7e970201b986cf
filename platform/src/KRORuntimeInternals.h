// KRORuntimeInternals.h - state a component keeps only once it needs it.
#pragma once

#include "KROBaseUnknown.h"
#include "KROMetaClass.h"
#include "KROWeakRef.h"

#include <vector>

struct KROLiveTie {
  IID iid;
  KROBaseUnknown* tie; // no reference: the tie unlists itself when it goes
};

struct KROExtensionSlot {
  const KROMetaClass* meta;
  KROBaseUnknown* extension; // owned; destroyed with the component
};

struct KROComponentExtras {
  std::vector<KROLiveTie> ties;
  std::vector<KROExtensionSlot> extensions;
  KROWeakControl* weak = nullptr; // one use held by the component
};
