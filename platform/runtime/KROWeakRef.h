// KROWeakRef.h - weak references to components.
/// \file
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
  /// A control for `target`, with one use: the component's.
  explicit KROWeakControl(KROBaseUnknown* target) : target_(target) {}
  /// The component, or null once its destruction has begun.
  KROBaseUnknown* Target() const { return target_; }
  /// Called by the component when its destruction begins.
  void Invalidate() { target_ = nullptr; }
  ///@{
  /// Adds or drops one use (the component or a weak reference); the last drop frees the
  /// control.
  void Retain() { ++uses_; }
  void Drop();
  ///@}

private:
  KROBaseUnknown* target_;
  long uses_ = 1;
};

/// A weak reference to a component.
class KRO_PLATFORM_API KROBaseUnknown_WR {
public:
  ///@{
  /// An empty reference, or one to `component` (no count taken).
  KROBaseUnknown_WR() = default;
  explicit KROBaseUnknown_WR(KROBaseUnknown* component) { *this = component; }
  ///@}
  ///@{
  /// Refers to what `other` refers to.
  KROBaseUnknown_WR(const KROBaseUnknown_WR& other);
  KROBaseUnknown_WR& operator=(const KROBaseUnknown_WR& other);
  ///@}
  /// Points at `component` (null empties the reference).
  KROBaseUnknown_WR& operator=(KROBaseUnknown* component);
  ~KROBaseUnknown_WR();

  /// The component with a reference added for the caller, or null when empty or gone.
  KROBaseUnknown* GetComponent() const;
  /// True when the reference is empty or its component is gone.
  bool operator!() const { return !control_ || !control_->Target(); }
  /// Empties the reference.
  void Clear() { *this = static_cast<KROBaseUnknown*>(nullptr); }

private:
  KROWeakControl* control_ = nullptr;
};
