// KROTPSLightValues.h - small values the light objects hand out, with their getter and setter.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROSequenceOctet.h"
#include "KROTypes.h"

/// A point or direction in three coordinates: origins, directions, normals of views and captures.
struct KROTPSVector3 {
  /// All three out pointers must be given; E_FAIL and nothing written otherwise.
  HRESULT Get(double* x, double* y, double* z) const {
    if (!x || !y || !z) return E_FAIL;
    *x = v[0];
    *y = v[1];
    *z = v[2];
    return S_OK;
  }
  HRESULT Set(double x, double y, double z) {
    v[0] = x;
    v[1] = y;
    v[2] = z;
    return S_OK;
  }

  double v[3] = {};
};

/// A thumbnail picture's bytes, copied in and out whole.
struct KROTPSThumbnail {
  HRESULT Get(_SEQUENCE_octet& out) const {
    out = bytes;
    return S_OK;
  }
  HRESULT Set(const _SEQUENCE_octet& in) {
    bytes = in;
    return S_OK;
  }

  _SEQUENCE_octet bytes;
};
