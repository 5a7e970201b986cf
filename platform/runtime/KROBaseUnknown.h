// KROBaseUnknown.h - the reference-counted base of every component.
/// \file
/// A component starts with one reference, held by whoever created it; `Release` at zero destroys
/// it. Interfaces are reached with `QueryInterface`, which the runtime answers from the interface
/// dictionary (KRODictionary.h): ties of the component's class or of a data extension of it.
/// \code
///   KROBaseUnknown* set = new KROTPSLightSet();          // count 1
///   KROITPSLightSet* itf = nullptr;
///   set->QueryInterface(IID_KROITPSLightSet, (void**)&itf); // tie, count +1 on the set
///   set->Release();                                        // the tie keeps the set alive
///   itf->Release();                                        // destroys tie, extension and set
/// \endcode
/// Every interface derives from this class too, so an interface pointer can be passed wherever a
/// component is expected; `QueryInterface(CLSID_KROBaseUnknown)` gives the one base pointer that
/// identifies the component.
#pragma once

#include "KROPlatformExport.h"
#include "KROTypes.h"

#include <cstddef>
#include <new>

class KROMetaClass;
class KROWeakControl;
struct KROComponentExtras;

/// Asking any interface for this id yields the base pointer of its component.
inline constexpr CLSID CLSID_KROBaseUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

/// The base of every component and every interface: reference counting, interface queries and
/// identity. A host's own components (a model handler, say) derive from it too.
class KRO_PLATFORM_API KROBaseUnknown {
public:
  /// A new component, with one reference for its creator.
  KROBaseUnknown();
  /// Copying a component copies nothing of its identity: the copy is a new component with one
  /// reference, no extensions, no ties and no weak references.
  KROBaseUnknown(const KROBaseUnknown&);
  /// Leaves count, extensions, ties and weak references of both sides as they were.
  KROBaseUnknown& operator=(const KROBaseUnknown&) { return *this; }

  // Slot order is part of the contract; do not reorder.
  /// Writes the interface `iid` of this component into `out`, with a reference for the caller,
  /// and returns S_OK; else writes null and fails (E_NOINTERFACE when the component has no such
  /// interface). E_FAIL for a null `out`.
  /// `CLSID_KROBaseUnknown` gives the base pointer.
  virtual HRESULT QueryInterface(const IID& iid, void** out);
  /// Adds a reference; returns the new count.
  virtual ULONG AddRef();
  /// Drops a reference and destroys the component at zero; returns the count left.
  virtual ULONG Release();
  ///@{
  /// Dispatch by type information is not supported: E_FAIL, with zero or null written where
  /// there is an out pointer.
  virtual HRESULT GetTypeInfoCount(unsigned int* count);
  virtual HRESULT GetTypeInfo(unsigned int index, unsigned long locale, void** info);
  virtual HRESULT GetIDsOfNames(const IID& iid, KROWChar** names, unsigned int count,
                                unsigned long locale, long* ids);
  virtual HRESULT Invoke(long id, const IID& iid, unsigned long locale, unsigned short flags,
                         void* params, void* result, void* exception, unsigned int* argError);
  ///@}
  /// Query by interface name ("KROITPSLightView"), for hosts that know names only;
  /// E_NOINTERFACE for a name no interface registered.
  virtual HRESULT QueryInterface(const char* interfaceName, void** out);
  /// Invalidates the weak references, then destroys the data extensions.
  virtual ~KROBaseUnknown();
  /// The metaclass of the component's class.
  virtual KROMetaClass* GetMetaObject() const;
  /// The name of the component's class.
  virtual const char* IsA() const;
  /// Non-zero when the component's class is `className` or extends it.
  virtual int IsAKindOf(const char* className) const;
  /// For a data extension: the component it extends. For a tie: its implementation.
  /// Otherwise the component itself.
  virtual KROBaseUnknown* GetImpl(int flag = 0) const;
  /// Makes this object a data extension of `impl`: from then on its references are the
  /// extended component's, and it is destroyed with it.
  virtual void SetImpl(KROBaseUnknown* impl, int flag = 0);
  /// Always 0: a component is never the null object.
  virtual int IsNull() const;
  /// Non-zero when `other` denotes this component (KROComCmp).
  virtual int IsEqual(const KROBaseUnknown* other) const;
  /// Accepted and ignored: S_OK.
  virtual HRESULT ChangeComponentState(int state, int flag = 0);

  /// The metaclass of KROBaseUnknown itself.
  static KROMetaClass* MetaObject();
  /// "KROBaseUnknown".
  static const char* ClassName();

  ///@{
  /// Components come from the runtime's block pool, which keeps blocks of each size for the
  /// next component of that size (and keeps the memory); the plain form throws std::bad_alloc
  /// when memory runs out, the nothrow form returns null. A component made with these is freed
  /// with them: by `Release`, or by `delete` on a component that was never counted.
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, const std::nothrow_t&) noexcept;
  ///@}

  /// Number of components (including ties and extensions) alive in the process.
  static long LiveCount();

private:
  // The runtime's own state, reached by the runtime, ties and the library through
  // KRORuntimeAccess, which is not installed.
  friend struct KRORuntimeAccess;
  enum class Role : unsigned char { Component, Extension, Tie };

  KROWeakControl* WeakControl();
  KROBaseUnknown* FindOrCreateExtension(KROMetaClass* meta, KROBaseUnknown* (*createItself)());
  KROBaseUnknown* FindExtension(const KROMetaClass* meta) const;
  void BeginDestruction();

  Role role_ = Role::Component;
  ULONG count_ = 1;
  bool destroying_ = false;
  KROBaseUnknown* impl_ = nullptr;       // extended component, for a data extension
  KROComponentExtras* extras_ = nullptr; // ties, extensions, weak control; made on first need
};

/// Non-zero when both pointers denote one component (compared through their base pointers).
KRO_PLATFORM_API int KROComCmp(KROBaseUnknown* a, KROBaseUnknown* b);

/// The base pointer that identifies the component behind `p`, which may be the component itself
/// or any interface of it or of its data extensions. Uncounted: it stays valid as long as the
/// caller's `p` does. `p` itself when it yields no base pointer; null for null.
KRO_PLATFORM_API KROBaseUnknown* KROIdentityOf(KROBaseUnknown* p);
