// KRODictionary.cpp - (class, interface) -> tie-creation function.
#include "KRODictionary.h"

#include "KRORuntimeAccess.h"
#include "KRORuntimeInternals.h"
#include "KROTie.h"

#include <cstring>
#include <unordered_map>

namespace {
struct Key {
  const KROMetaClass* cls;
  IID iid;
  bool operator==(const Key& o) const { return cls == o.cls && iid == o.iid; }
};
struct KeyHash {
  std::size_t operator()(const Key& k) const {
    return KROHashIID(k.iid) ^ (reinterpret_cast<std::uintptr_t>(k.cls) * 0x9E3779B97F4A7C15ull);
  }
};
struct Dictionary {
  std::unordered_map<Key, KROTieCreateFn, KeyHash> entries;
  std::vector<KRODictionaryEntryInfo> order;
  // extended class -> data extensions of it that have at least one entry
  std::unordered_map<const KROMetaClass*, std::vector<const KROMetaClass*>> extensionsOf;
  std::unordered_map<std::string, IID> interfaceByName;
};
Dictionary& Dict() {
  static Dictionary dict;
  return dict;
}

KROTieCreateFn Find(const KROMetaClass* cls, const IID& iid) {
  auto it = Dict().entries.find(Key{cls, iid});
  return it == Dict().entries.end() ? nullptr : it->second;
}

void NoteExtension(const KROMetaClass* ext) {
  for (const KROMetaClass* extended : ext->GetExtendedTypes()) {
    auto& list = Dict().extensionsOf[extended];
    bool known = false;
    for (const KROMetaClass* m : list)
      known = known || m == ext;
    if (!known) list.push_back(ext);
  }
}
} // namespace

HRESULT KROFillDictionary(KROMetaClass* classMeta, KROMetaClass* tieMeta, KROTieCreateFn createTie,
                          void*, int) {
  if (!classMeta || !tieMeta || !tieMeta->GetIID() || !createTie) return E_FAIL;
  Key key{classMeta, *tieMeta->GetIID()};
  if (!Dict().entries.emplace(key, createTie).second) return E_FAIL;
  Dict().order.push_back({classMeta, tieMeta, createTie});
  Dict().interfaceByName.emplace(tieMeta->GetClassName(), key.iid);
  if (classMeta->GetTypeOfClass() == DataExtension) NoteExtension(classMeta);
  return S_OK;
}

HRESULT KRODictionaryQuery(KROBaseUnknown* component, const IID& iid, void** out) {
  if (!out) return E_FAIL;
  *out = nullptr;
  if (!component) return E_FAIL;
  if (iid == CLSID_KROBaseUnknown) {
    component->AddRef();
    *out = component;
    return S_OK;
  }
  if (KRORuntimeAccess::IsBeingDestroyed(*component)) return E_NOINTERFACE;
  // A live tie was made through this dictionary for this component: hand it out again without
  // walking the classes.
  if (KROBaseUnknown* live = Tie_Link(component, component, iid)) {
    *out = live;
    return S_OK;
  }
  const KROMetaClass* own = component->GetMetaObject();
  for (const KROMetaClass* m = own; m; m = m->GetParent()) {
    if (KROTieCreateFn create = Find(m, iid)) {
      *out = create(component, component);
      return *out ? S_OK : E_NOINTERFACE;
    }
  }
  // Extensions are looked up after every class of the chain, so a class's own tie wins.
  Dictionary& dict = Dict();
  for (const KROMetaClass* m = own; m; m = m->GetParent()) {
    auto it = dict.extensionsOf.find(m);
    if (it == dict.extensionsOf.end()) continue;
    for (const KROMetaClass* ext : it->second) {
      if (KROTieCreateFn create = Find(ext, iid)) {
        *out = create(component, component);
        return *out ? S_OK : E_NOINTERFACE;
      }
    }
  }
  return E_NOINTERFACE;
}

const IID* KRODictionaryFindInterface(const char* interfaceName) {
  if (!interfaceName) return nullptr;
  auto it = Dict().interfaceByName.find(interfaceName);
  return it == Dict().interfaceByName.end() ? nullptr : &it->second;
}

std::vector<KRODictionaryEntryInfo> KRODictionaryEntries() { return Dict().order; }
