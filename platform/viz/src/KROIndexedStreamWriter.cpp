// KROIndexedStreamWriter.cpp - the count, the position table and the entries it points at.
#include "KROIndexedStreamWriter.h"

KROIndexedStreamWriter::KROIndexedStreamWriter(int count) : count_(count) {
  writer_.WriteInt(count);
  for (int k = 0; k < count && writer_.Good(); ++k)
    writer_.WriteInt(0);
}

HRESULT KROIndexedStreamWriter::WriteRep(int index, const KRORep& rep) {
  if (!HasIndex(index)) return E_FAIL;
  const unsigned int at = writer_.GetPosition();
  if (FAILED(writer_.WriteRep(rep))) return E_FAIL;
  writer_.PatchInt(static_cast<unsigned int>(EntryPosition(index)), static_cast<int>(at));
  return S_OK;
}

HRESULT KROIndexedStreamWriter::BeginEntry(int index) {
  if (!HasIndex(index)) return E_FAIL;
  writer_.PatchInt(static_cast<unsigned int>(EntryPosition(index)),
                   static_cast<int>(writer_.GetPosition()));
  return S_OK;
}
