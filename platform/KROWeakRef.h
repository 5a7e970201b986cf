// KROWeakRef.h - weak references to components.
///
/// A weak reference holds no count on its component. It resolves to a counted pointer while the
/// component lives and to null from the moment its destruction begins.
/// \code
///   KROBaseUnknown_WR link;
///   link = setBase;                            // no AddRef
///   if (KROBaseUnknown* c = link.GetComponent()) { ...; c->Release(); }
/// \endcode
#pragma once

#include "KROBaseUnknown.h"

/// Shared between a component and its weak references; outlives whichever goes last.
class KRO_PLATFORM_API KROWeakControl {
public:
  explicit KROWeakControl(KROBaseUnknown* target) : target_(target) {}
  KROBaseUnknown* Target() const { return target_; }
  void Invalidate() { target_ = nullptr; }
  void Retain() { ++uses_; }
  void Drop();

private:
  KROBaseUnknown* target_;
  long uses_ = 1;
};

class KRO_PLATFORM_API KROBaseUnknown_WR {
public:
  KROBaseUnknown_WR() = default;
  explicit KROBaseUnknown_WR(KROBaseUnknown* component) { *this = component; }
  KROBaseUnknown_WR(const KROBaseUnknown_WR& other);
  KROBaseUnknown_WR& operator=(const KROBaseUnknown_WR& other);
  /// Points at `component` (null empties the reference).
  KROBaseUnknown_WR& operator=(KROBaseUnknown* component);
  ~KROBaseUnknown_WR();

  /// The component with a reference added for the caller, or null when empty or gone.
  KROBaseUnknown* GetComponent() const;
  /// True when the reference is empty or its component is gone.
  bool operator!() const { return !control_ || !control_->Target(); }
  void Clear() { *this = static_cast<KROBaseUnknown*>(nullptr); }

private:
  KROWeakControl* control_ = nullptr;
};
