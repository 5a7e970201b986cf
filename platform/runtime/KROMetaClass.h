// KROMetaClass.h - class descriptions known to the runtime.
/// \file
///
/// Every registered class has one metaclass, found by name; a tie metaclass describes an
/// (interface, implementing class) pair. Metaclasses live until the process ends.
/// \code
///   KROMetaClass* m = fct_RetrieveMetaObject("KROTPSLightView", Implementation,
///                                            KROBaseUnknown::MetaObject(), "KROTPSLightView",
///                                            "KROTPSLightInterfaces", sizeof(KROTPSLightView));
///   m->IsAKindOf("KROTPSLightView"); // 1
/// \endcode
#pragma once

#include "KROPlatformExport.h"
#include "KROTypes.h"

#include <cstddef>
#include <string>
#include <vector>

/// What a metaclass describes.
enum ENUMTypeOfClass {
  Declared = 0, ///< named before its class registered itself (see fct_FindMetaObject)
  /// a component class
  Implementation = 1,
  /// a data extension of other types
  DataExtension = 2,
  /// a code extension; no class of this package registers as one
  CodeExtension = 3,
  /// an (interface, implementing class) pair
  TIE = 7,
};

/// A class id, unique in the process.
using KROClassId = int;

/// The description of a registered class or of a tie.
class KRO_PLATFORM_API KROMetaClass {
public:
  /// Builds a metaclass. For a tie: (interface id, interface name, null, the implementing class's
  /// metaclass, TIE). For a class: (null, class name, null, parent metaclass, kind).
  KROMetaClass(const IID* iid, const char* name, const KROMetaClass* base, KROMetaClass* related,
               ENUMTypeOfClass kind);
  KROMetaClass(const KROMetaClass&) = delete;
  KROMetaClass& operator=(const KROMetaClass&) = delete;

  /// The id given at construction, unique in the process.
  KROClassId GetClassId() const { return classId_; }
  ///@{
  /// The class name (for a tie, the interface name).
  const char* IsA() const { return name_.c_str(); }
  const char* GetClassName() const { return name_.c_str(); }
  ///@}
  /// What the metaclass describes.
  ENUMTypeOfClass GetTypeOfClass() const { return kind_; }
  /// The interface id of a tie metaclass; null for a class.
  const IID* GetIID() const { return kind_ == TIE ? &iid_ : nullptr; }
  /// Parent class, or for a tie metaclass the implementing class.
  KROMetaClass* GetParent() const { return related_; }
  ///@{
  /// The second name and framework given at registration; empty when none was.
  const char* GetSecondName() const { return secondName_.c_str(); }
  const char* GetFrameworkName() const { return framework_.c_str(); }
  ///@}
  /// The object size given at registration.
  std::size_t GetObjectSize() const { return objectSize_; }

  /// 1 when this class, or one of its parents, has the given name.
  int IsAKindOf(const char* name) const;
  /// Adds a type that this data extension extends. The first extended type is the second name
  /// given at registration.
  void SetExtensionOf(KROMetaClass* extended);
  /// The types this data extension extends, in the order they were added.
  const std::vector<KROMetaClass*>& GetExtendedTypes() const { return extended_; }

private:
  friend KRO_PLATFORM_API KROMetaClass* fct_RetrieveMetaObject(const char*, ENUMTypeOfClass,
                                                               KROMetaClass*, const char*,
                                                               const char*, std::size_t);
  IID iid_{};
  std::string name_;
  std::string secondName_;
  std::string framework_;
  KROMetaClass* related_ = nullptr;
  ENUMTypeOfClass kind_;
  KROClassId classId_;
  std::size_t objectSize_ = 0;
  std::vector<KROMetaClass*> extended_;
};

/// Finds the metaclass registered under `name`, or creates it with these values. A data extension
/// (kind DataExtension) extends the class named by `secondName`.
KRO_PLATFORM_API KROMetaClass* fct_RetrieveMetaObject(const char* name, ENUMTypeOfClass kind,
                                                      KROMetaClass* parent, const char* secondName,
                                                      const char* framework,
                                                      std::size_t objectSize);

/// Finds a metaclass by name. A name not registered yet is declared, so that an extension may name
/// a type whose library registers it later; the later registration completes the same metaclass.
KRO_PLATFORM_API KROMetaClass* fct_FindMetaObject(const char* name);

/// The metaclass registered under `name`, or null; declares nothing.
KRO_PLATFORM_API KROMetaClass* KROLookupMetaObject(const char* name);
