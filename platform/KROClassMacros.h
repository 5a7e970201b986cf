// KROClassMacros.h - the class operations every registered class provides.
///
/// \code
///   class KROTPSLightView : public KROTPSLightAdapt {
///     KRO_DECLARE_CLASS
///   public: ...
///   };
///   // in the .cpp:
///   KRO_IMPLEMENT_CLASS(KROTPSLightView, Implementation, "KROTPSLightView", nullptr)
///   KROBaseUnknown* KROTPSLightView::CreateItself() { return nullptr; }
/// \endcode
/// The metaclass is made on first call of MetaObject with these registration values; the parent
/// is always KROBaseUnknown's metaclass. `alsoExtends` names a further type that a data
/// extension extends (or is null).
#pragma once

#include "KROBaseUnknown.h"
#include "KROMetaClass.h"

KRO_PLATFORM_API KROMetaClass* KRORegisterClass(const char* name, ENUMTypeOfClass kind,
                                                const char* secondName, const char* framework,
                                                std::size_t objectSize, const char* alsoExtends);

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

#define KRO_IMPLEMENT_CLASS(Class, kind, secondName, alsoExtends)                                  \
  KROMetaClass* Class::MetaObject() {                                                              \
    static KROMetaClass* meta = KRORegisterClass(                                                  \
        #Class, kind, secondName, "KROTPSLightInterfaces", sizeof(Class), alsoExtends);            \
    return meta;                                                                                   \
  }                                                                                                \
  KROMetaClass* Class::GetMetaObject() const { return MetaObject(); }                              \
  KROClassId Class::ClassId() { return MetaObject()->GetClassId(); }                               \
  const char* Class::IsA() const { return MetaObject()->IsA(); }                                   \
  const char* Class::ClassName() { return MetaObject()->IsA(); }                                   \
  int Class::IsAKindOf(const char* name) const { return MetaObject()->IsAKindOf(name); }
