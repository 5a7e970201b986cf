// KROMetaClass.cpp - the metaclass registry, keyed by class name.
#include "KROMetaClass.h"

#include "KROBaseUnknown.h"
#include "KROClassMacros.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {
// Classes register on the first call of their MetaObject, which may come from any thread, so
// every change and lookup goes under the registry's lock. Nothing per object takes it: a class
// caches its metaclass in a function-local static, and a metaclass never moves or goes away.
struct MetaRegistry {
  std::mutex lock;
  std::unordered_map<std::string, std::unique_ptr<KROMetaClass>> byName;
};
MetaRegistry& Registry() {
  static MetaRegistry registry;
  return registry;
}
std::atomic<KROClassId> gNextClassId{1};

KROMetaClass* LookupLocked(MetaRegistry& registry, const char* name) {
  auto it = registry.byName.find(name);
  return it == registry.byName.end() ? nullptr : it->second.get();
}

KROMetaClass* FindLocked(MetaRegistry& registry, const char* name) {
  if (KROMetaClass* m = LookupLocked(registry, name)) return m;
  auto meta = std::make_unique<KROMetaClass>(nullptr, name, nullptr, nullptr, Declared);
  KROMetaClass* raw = meta.get();
  registry.byName.emplace(name, std::move(meta));
  return raw;
}
} // namespace

KROMetaClass::KROMetaClass(const IID* iid, const char* name, const KROMetaClass*,
                           KROMetaClass* related, ENUMTypeOfClass kind)
    : name_(name ? name : ""), related_(related), kind_(kind),
      classId_(gNextClassId.fetch_add(1, std::memory_order_relaxed)) {
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
  MetaRegistry& registry = Registry();
  const std::lock_guard<std::mutex> hold(registry.lock);
  return LookupLocked(registry, name);
}

KROMetaClass* fct_FindMetaObject(const char* name) {
  if (!name || !*name) return nullptr;
  MetaRegistry& registry = Registry();
  const std::lock_guard<std::mutex> hold(registry.lock);
  return FindLocked(registry, name);
}

KROMetaClass* fct_RetrieveMetaObject(const char* name, ENUMTypeOfClass kind, KROMetaClass* parent,
                                     const char* secondName, const char* framework,
                                     std::size_t objectSize) {
  if (!name || !*name) return nullptr;
  MetaRegistry& registry = Registry();
  const std::lock_guard<std::mutex> hold(registry.lock);
  KROMetaClass* meta = LookupLocked(registry, name);
  if (meta && meta->kind_ != Declared) return meta;
  if (!meta) meta = FindLocked(registry, name);
  // Complete the metaclass in place: pointers handed out while it was only declared stay valid.
  meta->kind_ = kind;
  meta->related_ = parent;
  meta->secondName_ = secondName ? secondName : "";
  meta->framework_ = framework ? framework : "";
  meta->objectSize_ = objectSize;
  if (kind == DataExtension && secondName && *secondName)
    meta->SetExtensionOf(FindLocked(registry, secondName));
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
