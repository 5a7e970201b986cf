// KROFuzzSupport.h - what the libFuzzer harnesses share: reading the fuzzer's bytes, the check
// that every input leaves the live counts where it found them, and a model with every kind of
// object built through the factory, as a host builds one.
#pragma once

#include "KROBaseUnknown.h"
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightCG.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightFake.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightModelFactory.h"
#include "KROITPSLightRefFrame.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROITPSLightTTRS.h"
#include "KROITPSLightView.h"
#include "KRORep.h"
#include "KROTPSLightContainer.h"
#include "KROVizBaseCodeExtension.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

/// Hands out the fuzzer's bytes front to back; past the end every read yields 0.
class KROFuzzInput {
public:
  KROFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  /// A value in [0, bound).
  int Below(int bound) { return bound > 0 ? Byte() % bound : 0; }
  /// Up to `max` bytes, as many as are left.
  std::vector<unsigned char> Bytes(std::size_t max) {
    const std::size_t n = max < size_ - pos_ ? max : size_ - pos_;
    std::vector<unsigned char> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

/// Records the live counts when made; `Check` aborts - a finding - when they differ.
class KROFuzzCounts {
public:
  KROFuzzCounts()
      : components_(KROBaseUnknown::LiveCount()), reps_(KRORep::LiveCount()),
        extensions_(KROVizBaseCodeExtension::OutstandingCount()) {}
  void Check() const {
    if (KROBaseUnknown::LiveCount() == components_ && KRORep::LiveCount() == reps_ &&
        KROVizBaseCodeExtension::OutstandingCount() == extensions_)
      return;
    std::fprintf(stderr,
                 "live counts changed: components %ld -> %ld, reps %ld -> %ld, "
                 "extensions %ld -> %ld\n",
                 components_, KROBaseUnknown::LiveCount(), reps_, KRORep::LiveCount(), extensions_,
                 KROVizBaseCodeExtension::OutstandingCount());
    std::abort();
  }

private:
  long components_, reps_, extensions_;
};

/// Aborts - a finding - when a property the harness checks does not hold.
inline void KROFuzzRequire(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

enum class KROFuzzKind { Annotation, View, RefFrame, TTRS, Capture, CG, Fake, Count };

/// A factory and a set it made. The objects the harness creates stay alive until the model goes:
/// the objects' own lists borrow their entries, and a host keeps what it lists alive.
class KROFuzzModel {
public:
  KROFuzzModel() {
    auto* container = new KROTPSLightContainer();
    container->QueryInterface(IID_KROITPSLightModelFactory, factory_.Put());
    container->Release();
    factory_->CreateLightSet(set_.PutTyped(), nullptr);
  }
  KROITPSLightSet* Set() const { return set_.Get(); }
  KROITPSLightModelFactory* Factory() const { return factory_.Get(); }

  /// A new object of `kind` in `set` (the model's own by default), held by the model; its
  /// KROITPSLight, or null.
  KROITPSLight* Create(KROFuzzKind kind, KROITPSLightSet* set = nullptr) {
    if (!set) set = set_.Get();
    KROBaseUnknown* made = nullptr;
    HRESULT rc = E_FAIL;
    auto* out = reinterpret_cast<void**>(&made);
    switch (kind) {
    case KROFuzzKind::Annotation:
      rc = factory_->CreateLightModel(reinterpret_cast<KROITPSLightModel**>(out), set);
      break;
    case KROFuzzKind::View:
      rc = factory_->CreateLightView(reinterpret_cast<KROITPSLightView**>(out), set);
      break;
    case KROFuzzKind::RefFrame:
      rc = factory_->CreateLightRefFrame(reinterpret_cast<KROITPSLightRefFrame**>(out), set);
      break;
    case KROFuzzKind::TTRS:
      rc = factory_->CreateLightTTRS(reinterpret_cast<KROITPSLightTTRS**>(out), set);
      break;
    case KROFuzzKind::Capture:
      rc = factory_->CreateLightCapture(reinterpret_cast<KROITPSLightCapture**>(out), set);
      break;
    case KROFuzzKind::CG:
      rc = factory_->CreateLightCG(reinterpret_cast<KROITPSLightCG**>(out), set);
      break;
    case KROFuzzKind::Fake:
      rc = factory_->CreateLightFake(reinterpret_cast<KROITPSLightFake**>(out), set);
      break;
    case KROFuzzKind::Count:
      break;
    }
    if (FAILED(rc) || !made) return nullptr;
    KROComPtr<KROITPSLight> light;
    made->QueryInterface(IID_KROITPSLight, light.Put());
    made->Release();
    if (!light) return nullptr;
    objects_.push_back({kind, light});
    return light.Get();
  }

  struct Object {
    KROFuzzKind kind;
    KROComPtr<KROITPSLight> light;
  };
  std::vector<Object>& Objects() { return objects_; }

  /// Interface `Itf` of `light`, counted; null when it has none.
  template <class Itf> static KROComPtr<Itf> As(KROBaseUnknown* light) {
    KROComPtr<Itf> itf;
    if (light) light->QueryInterface(Itf::kIID, itf.Put());
    return itf;
  }

private:
  KROComPtr<KROITPSLightModelFactory> factory_;
  KROComPtr<KROITPSLightSet> set_;
  std::vector<Object> objects_;
};
