// KROTPSLightFields.h - what every light object and the TTRS hold alike.
///
/// Type, name, index, status and the weak link to the owning set, with the getters and setters
/// both answer through. The owner keeps one as a member and forwards its interface calls.
/// \code
///   KROTPSLightFields light_{KROUnicodeString::Literal(u"View")};
///   HRESULT GetName(KROWChar** name) { return light_.GetName(name); }
/// \endcode
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROITPSLightSet.h"
#include "KROTPSLightLinks.h"
#include "KROTPSLightOut.h"
#include "KROUnicodeString.h"
#include "KROWeakRef.h"

#include <utility>

struct KROTPSLightFields {
  explicit KROTPSLightFields(KROUnicodeString initialName) : name(std::move(initialName)) {}

  HRESULT GetType(unsigned short* out) const { return KROWriteOut(out, type); }
  HRESULT SetType(unsigned short value) {
    type = value;
    return S_OK;
  }
  HRESULT GetName(KROWChar** out) const { return KROCopyTextOut(name, out); }
  HRESULT SetName(const KROWChar* value) { return KROSetText(name, value); }
  HRESULT GetIndex(int* out) const { return KROWriteOut(out, index); }
  HRESULT SetIndex(int value) {
    index = value;
    return S_OK;
  }
  HRESULT GetStatus(unsigned short* out) const { return KROWriteOut(out, status); }
  HRESULT SetStatus(unsigned short value) {
    status = value;
    return S_OK;
  }
  HRESULT GetLightSet(KROITPSLightSet** out) const { return KROQueryWeakLink(setLink, out); }
  HRESULT SetLightSet(KROITPSLightSet* set) { return KROLinkWeakly(setLink, set); }

  unsigned short type = 0;
  unsigned short status = 0;
  int index = 0;
  KROUnicodeString name;
  KROBaseUnknown_WR setLink; // weak: the set owns its objects, not the reverse
};
