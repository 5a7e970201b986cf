// KROMetaClass.cpp - the metaclass registry, keyed by class name.
#include "KROMetaClass.h"

#include "KROBaseUnknown.h"
#include "KROClassMacros.h"

#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

namespace {
struct MetaRegistry {
  std::unordered_map<std::string, std::unique_ptr<KROMetaClass>> byName;
  KROClassId nextId = 1;
};
MetaRegistry& Registry() {
  static MetaRegistry registry;
  return registry;
}
} // namespace

KROMetaClass::KROMetaClass(const IID* iid, const char* name, const KROMetaClass*,
                           KROMetaClass* related, ENUMTypeOfClass kind)
    : name_(name ? name : ""), related_(related), kind_(kind), classId_(Registry().nextId++) {
  if (iid) iid_ = *iid;
}

int KROMetaClass::IsAKindOf(const char* name) const {
  if (!name) return 0;
  for (const KROMetaClass* m = this; m; m = m->kind_ == TIE ? nullptr : m->related_)
    if (m->name_ == name) return 1;
  return 0;
}

void KROMetaClass::SetExtensionOf(KROMetaClass* extended) {
  if (!extended) return;
  for (KROMetaClass* m : extended_)
    if (m == extended) return;
  extended_.push_back(extended);
}

KROMetaClass* KROLookupMetaObject(const char* name) {
  if (!name) return nullptr;
  auto it = Registry().byName.find(name);
  return it == Registry().byName.end() ? nullptr : it->second.get();
}

KROMetaClass* fct_FindMetaObject(const char* name) {
  if (!name || !*name) return nullptr;
  if (KROMetaClass* m = KROLookupMetaObject(name)) return m;
  auto meta = std::make_unique<KROMetaClass>(nullptr, name, nullptr, nullptr, Declared);
  KROMetaClass* raw = meta.get();
  Registry().byName.emplace(name, std::move(meta));
  return raw;
}

KROMetaClass* fct_RetrieveMetaObject(const char* name, ENUMTypeOfClass kind, KROMetaClass* parent,
                                     const char* secondName, const char* framework,
                                     std::size_t objectSize) {
  if (!name || !*name) return nullptr;
  KROMetaClass* meta = KROLookupMetaObject(name);
  if (meta && meta->kind_ != Declared) return meta;
  if (!meta) meta = fct_FindMetaObject(name);
  // Complete the metaclass in place: pointers handed out while it was only declared stay valid.
  meta->kind_ = kind;
  meta->related_ = parent;
  meta->secondName_ = secondName ? secondName : "";
  meta->framework_ = framework ? framework : "";
  meta->objectSize_ = objectSize;
  if (kind == DataExtension && secondName && *secondName)
    meta->SetExtensionOf(fct_FindMetaObject(secondName));
  return meta;
}

KROMetaClass* KRORegisterClass(const char* name, ENUMTypeOfClass kind, const char* secondName,
                               const char* framework, std::size_t objectSize,
                               const char* alsoExtends) {
  KROMetaClass* meta = fct_RetrieveMetaObject(name, kind, KROBaseUnknown::MetaObject(), secondName,
                                              framework, objectSize);
  if (meta && alsoExtends) meta->SetExtensionOf(fct_FindMetaObject(alsoExtends));
  return meta;
}
