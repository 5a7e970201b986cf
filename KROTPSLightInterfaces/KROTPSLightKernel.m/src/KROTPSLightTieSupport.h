// KROTPSLightTieSupport.h - the tie metaclass and tie-creation function of an (interface, class)
// pair.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROMetaClass.h"
#include "KROTie.h"

/// Made once, on first need, and shared by the pair's dictionary entry and all its ties.
template <class Itf, class Impl> KROMetaClass* KROTieMetaOf() {
  static KROMetaClass* meta =
      new KROMetaClass(&Itf::kIID, Itf::kName, nullptr, Impl::MetaObject(), TIE);
  return meta;
}

/// Body of every exported CreateTIE<interface><class> function.
template <template <class> class TieT, class Itf, class Impl>
KROBaseUnknown* KROCreateTieOf(KROBaseUnknown* impl, KROBaseUnknown* other) {
  return KROCreateTie<TieT<Impl>, Impl>(impl, other, KROTieMetaOf<Itf, Impl>());
}
