// The block pool that components, ties and reps live in: blocks are whole and apart at every
// size, blocks given back serve the next ones (on this thread, from other threads, after a
// thread ends), and a model built again reuses the memory of one torn down.
#include "KROBlockPool.h"
#include "KROModelTestSupport.h"
#include "KRORepBindingTestSupport.h"
#include "KROTPSLightContainerNames.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using BlockPool = KROModelTest;

std::vector<void*> Take(int count, std::size_t size) {
  std::vector<void*> blocks;
  for (int i = 0; i < count; ++i)
    blocks.push_back(KROPoolAllocate(size));
  return blocks;
}

void GiveBack(std::vector<void*>& blocks) {
  for (void* b : blocks)
    KROPoolFree(b);
  blocks.clear();
}

TEST_F(BlockPool, BlocksAreAlignedWholeAndApartAtEverySize) {
  std::vector<std::size_t> sizes = {0, 1, 7, 8, 9, 15, 16, 17, 24, 40, 56, 64, 96, 200, 336};
  for (std::size_t size : {kKROPoolLargest - 1, kKROPoolLargest, kKROPoolLargest + 1,
                           std::size_t(4096), std::size_t(100000)})
    sizes.push_back(size);
  struct Held {
    unsigned char* block;
    std::size_t size;
    unsigned char fill;
  };
  std::vector<Held> held;
  for (int round = 0; round < 40; ++round) {
    for (std::size_t size : sizes) {
      auto* block = static_cast<unsigned char*>(KROPoolAllocate(size));
      ASSERT_NE(block, nullptr) << size;
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 16, 0u) << size;
      const auto fill = static_cast<unsigned char>(held.size() * 7 + 1);
      std::memset(block, fill, size);
      held.push_back({block, size, fill});
    }
  }
  // Every block still holds what was written to it: no two overlap, no header was overwritten.
  for (const Held& h : held)
    for (std::size_t i = 0; i < h.size; ++i)
      ASSERT_EQ(h.block[i], h.fill) << "size " << h.size << " byte " << i;
  for (const Held& h : held)
    KROPoolFree(h.block);
  KROPoolFree(nullptr);
}

TEST_F(BlockPool, BlocksGivenBackServeTheNextOnes) {
  std::vector<void*> small = Take(20000, 96);
  std::vector<void*> large = Take(3000, 700);
  GiveBack(small);
  GiveBack(large);
  const std::size_t slabs = KROPoolSlabBytes();
  for (int round = 0; round < 3; ++round) {
    small = Take(20000, 96);
    large = Take(3000, 700);
    GiveBack(large);
    GiveBack(small);
  }
  EXPECT_EQ(KROPoolSlabBytes(), slabs);
}

TEST_F(BlockPool, BlocksGivenBackOnAnotherThreadServeThisOneOnceThatThreadEnds) {
  // Few enough per round that they all wait in the other thread's cache until it ends; enough
  // rounds that blocks kept there would take several slabs.
  constexpr int kRounds = 300, kBlocks = 40;
  std::size_t slabs = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<void*> made = Take(kBlocks, 120);
    std::thread([&made] { GiveBack(made); }).join();
    if (round == 0) slabs = KROPoolSlabBytes();
  }
  EXPECT_EQ(KROPoolSlabBytes(), slabs);
}

// A document of `n` annotation reps and their 2D reps, in the containers the set reads.
KROVZBDocumentComponent* DocumentOf(int n) {
  std::vector<KROEntry> reps3d, reps2d;
  for (int i = 1; i <= n; ++i) {
    reps3d.push_back({"KRO3DBagRep", std::to_string(i)});
    reps2d.push_back({"KRO2DBagRep", std::to_string(-i)});
  }
  return KRODocumentBuilder()
      .SetStream(KROTPSContainers::kAnnotationsPath, KROSequential(reps3d))
      .SetStream(KROTPSContainers::kAnnotations2DPath, KROIndexed(reps2d))
      .Build();
}

void BuildBindAndTearDown(KROITPSLightModelFactory* factory, KROVZBDocumentComponent* doc, int n) {
  KROComPtr<KROITPSLightSet> set;
  ASSERT_EQ(factory->CreateLightSet(set.PutTyped(), nullptr), S_OK);
  for (int i = 0; i < n; ++i) {
    KROComPtr<KROITPSLightModel> annotation;
    ASSERT_EQ(factory->CreateLightModel(annotation.PutTyped(), set.Get()), S_OK);
    annotation->AddTTRSLinkID(i);
  }
  set->SetDocument(doc);
  const auto services = set.As<KROITPSLightSetServices>();
  ASSERT_EQ(services->GenerateAllReps(), S_OK);
  ASSERT_EQ(services->GenerateAll2DReps(), S_OK);
}

TEST_F(BlockPool, AModelBuiltAgainReusesTheBlocksOfOneTornDown) {
  constexpr int kAnnotations = 3000;
  KROVZBDocumentComponent* doc = DocumentOf(kAnnotations);
  const long reps = KRORep::LiveCount();
  BuildBindAndTearDown(factory_.Get(), doc, kAnnotations);
  const std::size_t slabs = KROPoolSlabBytes();
  for (int round = 0; round < 3; ++round)
    BuildBindAndTearDown(factory_.Get(), doc, kAnnotations);
  EXPECT_EQ(KROPoolSlabBytes(), slabs);
  EXPECT_EQ(KRORep::LiveCount(), reps);
  doc->Release();
}

#if defined(__SANITIZE_ADDRESS__)
TEST(BlockPoolDeathTest, AUseAfterTheBlockWentBackIsReported) {
  EXPECT_DEATH(
      {
        auto* block = static_cast<volatile char*>(KROPoolAllocate(64));
        KROPoolFree(const_cast<char*>(block));
        block[10] = 1;
      },
      "use-after-poison");
}
#endif

} // namespace
