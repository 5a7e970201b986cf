// The id broker: positions in the set's lists by id kind, 0-based out and 1-based in, across
// removals, and every bad input.
#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLight.h"
#include "KROITPSLightSet.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightTTRS.h"
#include "KROTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Kind {
  int kind;
  HRESULT (KROITPSLightSet::*add)(KROBaseUnknown*);
  HRESULT (KROITPSLightSet::*remove)(KROBaseUnknown*);
};
const Kind kKinds[] = {
    {1, &KROITPSLightSet::AddTPS, &KROITPSLightSet::RemoveTPS},
    {2, &KROITPSLightSet::AddTPSView, &KROITPSLightSet::RemoveView},
    {3, &KROITPSLightSet::AddTTRS, &KROITPSLightSet::RemoveTTRS},
    {4, &KROITPSLightSet::AddRefFrame, &KROITPSLightSet::RemoveRefFrame},
    {5, &KROITPSLightSet::AddCG, &KROITPSLightSet::RemoveCG},
};

class IdBroker : public KROTest {
protected:
  void SetUp() override {
    KROTest::SetUp();
    component_ = new KROTPSLightSet();
    ASSERT_EQ(component_->QueryInterface(IID_KROITPSLightSet, set_.Put()), S_OK);
    broker_ = set_.As<KROITPSIdBroker>();
    ASSERT_TRUE(broker_);
    // Three objects per kind; kind k's objects are objects_[k - 1].
    for (const Kind& k : kKinds) {
      objects_.emplace_back();
      for (int i = 0; i < 3; ++i) {
        auto* obj = new KROBaseUnknown();
        objects_.back().push_back(obj);
        (set_.Get()->*k.add)(obj);
      }
    }
    capture_ = new KROBaseUnknown();
    set_->AddCapture(capture_);
  }
  void TearDown() override {
    broker_.Reset();
    set_.Reset();
    component_->Release();
    KROTest::TearDown();
  }
  int IdOf(KROBaseUnknown* obj, int kind, int start = -99) {
    int id = start;
    EXPECT_EQ(broker_->GetIdForObject(obj, kind, &id), S_OK);
    return id;
  }
  KROBaseUnknown* ObjectOf(int id, int kind) {
    KROBaseUnknown* obj = nullptr;
    if (FAILED(broker_->GetObjectFromId(id, kind, &obj))) {
      EXPECT_EQ(obj, nullptr);
      return nullptr;
    }
    EXPECT_NE(obj, nullptr);
    obj->Release();
    return obj;
  }

  KROTPSLightSet* component_ = nullptr;
  KROComPtr<KROITPSLightSet> set_;
  KROComPtr<KROITPSIdBroker> broker_;
  std::vector<std::vector<KROBaseUnknown*>> objects_;
  KROBaseUnknown* capture_ = nullptr;
};

TEST_F(IdBroker, EachKindNamesItsListAndIdsRoundTrip) {
  for (const Kind& k : kKinds) {
    SCOPED_TRACE(k.kind);
    for (int p = 0; p < 3; ++p) {
      KROBaseUnknown* obj = objects_[k.kind - 1][p];
      EXPECT_EQ(IdOf(obj, k.kind), p);
      EXPECT_EQ(ObjectOf(p + 1, k.kind), obj);
      // an object of another list is not found under this kind
      EXPECT_EQ(IdOf(objects_[k.kind % 5][p], k.kind), -1);
    }
    EXPECT_EQ(IdOf(capture_, k.kind), -1) << "captures have no id kind";
  }
  KROBaseUnknown* out = nullptr;
  ASSERT_EQ(broker_->GetObjectFromId(2, 1, &out), S_OK);
  EXPECT_EQ(KRORefCount(out), 2u) << "one reference for the caller";
  out->Release();
}

TEST_F(IdBroker, IdsShiftDownAfterRemovalsAtTheFront) {
  for (const Kind& k : kKinds) {
    SCOPED_TRACE(k.kind);
    std::vector<KROBaseUnknown*>& objs = objects_[k.kind - 1];
    KROBaseUnknown* extra = new KROBaseUnknown();
    (set_.Get()->*k.add)(extra);
    ASSERT_EQ((set_.Get()->*k.remove)(objs[0]), S_OK);
    EXPECT_EQ(IdOf(objs[1], k.kind), 0);
    EXPECT_EQ(IdOf(objs[2], k.kind), 1);
    EXPECT_EQ(IdOf(extra, k.kind), 2);
    EXPECT_EQ(ObjectOf(1, k.kind), objs[1]);
    EXPECT_EQ(ObjectOf(4, k.kind), nullptr);
    ASSERT_EQ((set_.Get()->*k.remove)(objs[2]), S_OK);
    EXPECT_EQ(ObjectOf(2, k.kind), extra) << "an id resolves to whoever now holds the position";
    EXPECT_EQ(ObjectOf(3, k.kind), nullptr);
  }
}

TEST_F(IdBroker, AnObjectListedTwiceGetsItsLaterPosition) {
  KROBaseUnknown* obj = objects_[2][0];
  obj->AddRef();
  set_->AddTTRS(obj);
  EXPECT_EQ(IdOf(obj, 3), 3);
  EXPECT_EQ(ObjectOf(1, 3), obj);
  EXPECT_EQ(ObjectOf(4, 3), obj);
}

TEST_F(IdBroker, ObjectsMatchThroughAnyOfTheirInterfaces) {
  auto* ttrs = new KROTPSLightTTRS();
  set_->AddTTRS(ttrs);
  KROComPtr<KROITPSLight> light;
  ASSERT_EQ(ttrs->QueryInterface(IID_KROITPSLight, light.Put()), S_OK);
  EXPECT_EQ(IdOf(ttrs, 3), 3);
  EXPECT_EQ(IdOf(light.Get(), 3), 3) << "an interface pointer names its object";
  EXPECT_EQ(IdOf(light.Get(), 1), -1) << "and only in its own list";
}

TEST_F(IdBroker, BadInputFailsOrFindsNothingAndChangesNothing) {
  KROBaseUnknown* obj = objects_[0][0];
  int id = 42;
  EXPECT_EQ(broker_->GetIdForObject(nullptr, 1, &id), E_FAIL);
  EXPECT_EQ(broker_->GetIdForObject(obj, 1, nullptr), E_FAIL);
  EXPECT_EQ(id, 42);
  for (int kind : {0, 6, -1, 1000}) {
    EXPECT_EQ(IdOf(obj, kind, 42), 42) << "unknown kind " << kind << " leaves the out alone";
    EXPECT_EQ(ObjectOf(1, kind), nullptr) << kind;
  }

  KROBaseUnknown* out = nullptr;
  EXPECT_EQ(broker_->GetObjectFromId(1, 1, nullptr), E_FAIL);
  EXPECT_EQ(broker_->GetObjectFromId(-1, 1, &out), E_FAIL);
  EXPECT_EQ(broker_->GetObjectFromId(-2147483647 - 1, 1, &out), E_FAIL);
  EXPECT_EQ(broker_->GetObjectFromId(0, 1, &out), E_FAIL);
  EXPECT_EQ(broker_->GetObjectFromId(4, 1, &out), E_FAIL);
  EXPECT_EQ(broker_->GetObjectFromId(2147483647, 1, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(ObjectOf(3, 1), objects_[0][2]);

  set_->AddTPS(new KROBaseUnknown()); // a null entry keeps its position but names nothing
  set_->GetTPSList()->Append(nullptr);
  EXPECT_EQ(ObjectOf(5, 1), nullptr);

  for (const auto& objs : objects_)
    for (KROBaseUnknown* o : objs)
      EXPECT_EQ(KRORefCount(o), 1u);
  EXPECT_EQ(set_->GetTPSList()->Size(), 5);
}

TEST_F(IdBroker, AbsentListsFindNothing) {
  KROBaseUnknown* keep = objects_[1][0];
  keep->AddRef();
  set_->RemoveAllChildren();
  EXPECT_EQ(IdOf(keep, 2, 42), 42);
  EXPECT_EQ(ObjectOf(1, 2), nullptr);
  keep->Release();
}

} // namespace
