// KROClassMacros.h - the class operations every registered class provides.
/// \file
///
/// \code
///   class KROTPSLightView : public KROTPSLightAdapt {
///     KRO_DECLARE_CLASS
///   public: ...
///   };
///   // in the .cpp:
///   KRO_IMPLEMENT_CLASS(KROTPSLightView, "KROTPSLightInterfaces", Implementation,
///                       "KROTPSLightView", nullptr)
///   KROBaseUnknown* KROTPSLightView::CreateItself() { return nullptr; }
/// \endcode
/// The metaclass is made on first call of MetaObject with these registration values; the parent
/// is always KROBaseUnknown's metaclass. `framework` names the framework the class belongs to;
/// `alsoExtends` names a further type that a data extension extends (or is null).
#pragma once

#include "KROBaseUnknown.h"
#include "KROMetaClass.h"

/// Creates or finds the metaclass of a class (`fct_RetrieveMetaObject` with KROBaseUnknown's
/// metaclass as parent) and, when `alsoExtends` is given, adds that type to what it extends.
KRO_PLATFORM_API KROMetaClass* KRORegisterClass(const char* name, ENUMTypeOfClass kind,
                                                const char* secondName, const char* framework,
                                                std::size_t objectSize, const char* alsoExtends);

/// Declares, inside a class, the class operations: `MetaObject`, `GetMetaObject`, `ClassId`,
/// `IsA`, `ClassName`, `IsAKindOf` and `CreateItself` (which the class defines itself). Leaves
/// the class in its private section.
#define KRO_DECLARE_CLASS                                                                          \
public:                                                                                            \
  static KROMetaClass* MetaObject();                                                               \
  KROMetaClass* GetMetaObject() const override;                                                    \
  static KROClassId ClassId();                                                                     \
  const char* IsA() const override;                                                                \
  static const char* ClassName();                                                                  \
  int IsAKindOf(const char* name) const override;                                                  \
  static KROBaseUnknown* CreateItself();                                                           \
                                                                                                   \
private:

/// Defines, in one source file, the operations KRO_DECLARE_CLASS declares, but `CreateItself`.
#define KRO_IMPLEMENT_CLASS(Class, framework, kind, secondName, alsoExtends)                       \
  KROMetaClass* Class::MetaObject() {                                                              \
    static KROMetaClass* meta =                                                                    \
        KRORegisterClass(#Class, kind, secondName, framework, sizeof(Class), alsoExtends);         \
    return meta;                                                                                   \
  }                                                                                                \
  KROMetaClass* Class::GetMetaObject() const { return MetaObject(); }                              \
  KROClassId Class::ClassId() { return MetaObject()->GetClassId(); }                               \
  const char* Class::IsA() const { return MetaObject()->IsA(); }                                   \
  const char* Class::ClassName() { return MetaObject()->IsA(); }                                   \
  int Class::IsAKindOf(const char* name) const { return MetaObject()->IsAKindOf(name); }
