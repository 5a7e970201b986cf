// KROTPSLightTestSet.h - a small set that answers KROITPSLightSet and KROITPSIdBroker itself.
///
/// Model objects resolve link ids and attribute ids through their set's id broker. This set keeps
/// one plain vector per id kind that a test fills and reorders at will; its broker answers from
/// them as the set's broker does (GetObjectFromId takes 1-based ids). The vectors borrow: the
/// test keeps their objects alive.
/// \code
///   auto* set = new KROTestIdSet();
///   set->objects[KROTestIdSet::kAnnotations] = {a1, a2};
///   tps->SetLightSet(set);        // weak link
///   ...
///   set->Release();
/// \endcode
#pragma once

#include "KROITPSIdBroker.h"
#include "KROITPSLightSet.h"

#include <vector>

class KROTestIdSet : public KROITPSLightSet {
public:
  static constexpr int kAnnotations = 1;
  static constexpr int kRefFrames = 4;

  std::vector<KROBaseUnknown*> objects[6];
  /// When false the set has no id broker to offer.
  bool offersBroker = true;

  KROTestIdSet() : broker_(*this) {}

  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (!out) return E_FAIL;
    *out = nullptr;
    if (iid == CLSID_KROBaseUnknown || iid == IID_KROITPSLightSet)
      *out = static_cast<KROITPSLightSet*>(this);
    else if (iid == IID_KROITPSIdBroker && offersBroker)
      *out = static_cast<KROITPSIdBroker*>(&broker_);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  HRESULT GetStdName(KROWChar**) override { return E_FAIL; }
  HRESULT SetStdName(const KROWChar*) override { return E_FAIL; }
  HRESULT GetTTRSList(list<KROBaseUnknown>**) override { return E_FAIL; }
  HRESULT AddTTRS(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT RemoveTTRS(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT GetRefFrameList(list<KROBaseUnknown>**) override { return E_FAIL; }
  HRESULT AddRefFrame(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT RemoveRefFrame(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT GetCaptureList(list<KROBaseUnknown>**) override { return E_FAIL; }
  HRESULT AddCapture(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT RemoveCapture(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT GetCGList(list<KROBaseUnknown>**) override { return E_FAIL; }
  HRESULT AddCG(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT RemoveCG(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT GetFakeList(list<KROBaseUnknown>**) override { return E_FAIL; }
  HRESULT AddFake(KROBaseUnknown*) override { return E_FAIL; }
  KROBaseUnknown* GetDocument() override { return nullptr; }
  HRESULT SetDocument(KROBaseUnknown*) override { return E_FAIL; }
  list<KROBaseUnknown>* GetTPSList() override { return nullptr; }
  HRESULT AddTPS(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT RemoveTPS(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT GetViewList(list<KROBaseUnknown>**) override { return E_FAIL; }
  HRESULT AddTPSView(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT RemoveView(KROBaseUnknown*) override { return E_FAIL; }
  HRESULT GetRefProduct(KROITPSLightModelHandler**) override { return E_FAIL; }
  HRESULT SetRefProduct(KROITPSLightModelHandler*) override { return E_FAIL; }
  HRESULT RemoveAllChildren() override { return E_FAIL; }
  HRESULT FlushData() override { return E_FAIL; }

  /// Number of GetObjectFromId calls answered so far.
  int lookups = 0;

private:
  // Lives inside the set and counts on the set's count.
  class Broker : public KROITPSIdBroker {
  public:
    explicit Broker(KROTestIdSet& set) : set_(set) {}
    HRESULT QueryInterface(const IID& iid, void** out) override {
      return set_.QueryInterface(iid, out);
    }
    ULONG AddRef() override { return set_.AddRef(); }
    ULONG Release() override { return set_.Release(); }
    HRESULT GetIdForObject(KROBaseUnknown* object, int kind, int* id) override {
      if (!object || !id) return E_FAIL;
      if (kind < 1 || kind > 5) return S_OK;
      const auto& objects = set_.objects[kind];
      *id = -1;
      for (int i = int(objects.size()) - 1; i >= 0; --i)
        if (objects[std::size_t(i)] == object) {
          *id = i;
          break;
        }
      return S_OK;
    }
    HRESULT GetObjectFromId(int id, int kind, KROBaseUnknown** object) override {
      if (!object || id < 0) return E_FAIL;
      ++set_.lookups;
      if (id == 0 || kind < 1 || kind > 5) return E_FAIL;
      const auto& objects = set_.objects[kind];
      if (std::size_t(id) > objects.size() || !objects[std::size_t(id) - 1]) return E_FAIL;
      *object = objects[std::size_t(id) - 1];
      (*object)->AddRef();
      return S_OK;
    }

  private:
    KROTestIdSet& set_;
  };
  Broker broker_;
};
