// KRORuntimeAccess.h - the runtime's way into a component's own state. Not installed.
///
/// The runtime, ties, weak references, the library's own objects and tests reach what a host
/// has no use for - the live ties, extensions and weak control, the count of a tie, whether
/// destruction has begun - through this friend of KROBaseUnknown, so that the installed header
/// shows hosts the interface slots and nothing else.
#pragma once

#include "KROPlatformInternal.h"

#include "KROBaseUnknown.h"

struct KRORuntimeAccess {
  /// True from the moment the last reference is released until the object is gone.
  static bool IsBeingDestroyed(const KROBaseUnknown& c) { return c.destroying_; }
  /// The component's weak-reference control block, made on first need; null when it cannot be.
  static KROWeakControl* WeakControl(KROBaseUnknown& c) { return c.WeakControl(); }
  /// The data extension of class `meta` attached to `c`, created on first request with
  /// `createItself`. Null when it cannot be created (or destruction has begun).
  static KROBaseUnknown* FindOrCreateExtension(KROBaseUnknown& c, KROMetaClass* meta,
                                               KROBaseUnknown* (*createItself)()) {
    return c.FindOrCreateExtension(meta, createItself);
  }
  /// The data extension of class `meta` attached to `c`, or null.
  static KROBaseUnknown* FindExtension(const KROBaseUnknown& c, const KROMetaClass* meta) {
    return c.FindExtension(meta);
  }
  /// Marks a newly built tie, whose counting the tie functions (KROTie.h) do.
  static void MarkTie(KROBaseUnknown& c) { c.role_ = KROBaseUnknown::Role::Tie; }
  /// The reference count of a tie.
  static ULONG& Count(KROBaseUnknown& c) { return c.count_; }
  /// Ties, extensions and weak control of `c`, null until first needed.
  static KROComponentExtras*& Extras(KROBaseUnknown& c) { return c.extras_; }
};
