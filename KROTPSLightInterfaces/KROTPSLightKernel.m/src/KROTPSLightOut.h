// KROTPSLightOut.h - the shape every getter and text setter shares.
///
/// Getters: a null out pointer gives E_FAIL and nothing is written.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROTypes.h"
#include "KROUnicodeString.h"

/// Hands out a copy of `text` as a new[] array the caller frees with delete[].
inline HRESULT KROCopyTextOut(const KROUnicodeString& text, KROWChar** out) {
  if (!out) return E_FAIL;
  KROWChar* copy = text.NewWCharArray();
  if (!copy) return E_FAIL;
  *out = copy;
  return S_OK;
}

/// Replaces `text` with a copy of `value`; a null value changes nothing.
inline HRESULT KROSetText(KROUnicodeString& text, const KROWChar* value) {
  if (!value) return E_FAIL;
  text.BuildFromWChar(value);
  return S_OK;
}

template <class T> HRESULT KROWriteOut(T* out, const T& value) {
  if (!out) return E_FAIL;
  *out = value;
  return S_OK;
}

/// Writes a bound rep, which may be null, uncounted; S_OK only when there is one.
template <class Rep> HRESULT KROWriteRepOut(Rep* held, Rep** out) {
  if (!out) return E_FAIL;
  *out = held;
  return held ? S_OK : E_FAIL;
}
