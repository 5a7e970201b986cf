// KROWeakRef.cpp - weak references through a shared control block.
#include "KROWeakRef.h"

#include "KRORuntimeAccess.h"

void KROWeakControl::Drop() {
  if (--uses_ == 0) delete this;
}

KROBaseUnknown_WR::KROBaseUnknown_WR(const KROBaseUnknown_WR& other) : control_(other.control_) {
  if (control_) control_->Retain();
}

KROBaseUnknown_WR& KROBaseUnknown_WR::operator=(const KROBaseUnknown_WR& other) {
  if (other.control_) other.control_->Retain();
  if (control_) control_->Drop();
  control_ = other.control_;
  return *this;
}

KROBaseUnknown_WR& KROBaseUnknown_WR::operator=(KROBaseUnknown* component) {
  KROWeakControl* next = component ? KRORuntimeAccess::WeakControl(*component) : nullptr;
  if (next) next->Retain();
  if (control_) control_->Drop();
  control_ = next;
  return *this;
}

KROBaseUnknown_WR::~KROBaseUnknown_WR() {
  if (control_) control_->Drop();
}

KROBaseUnknown* KROBaseUnknown_WR::GetComponent() const {
  KROBaseUnknown* target = control_ ? control_->Target() : nullptr;
  if (target) target->AddRef();
  return target;
}
