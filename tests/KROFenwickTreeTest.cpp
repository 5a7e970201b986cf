// KROFenwickTreeTest.cpp - the counts behind the entry index's positions.
#include "KROFenwickTree.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {
/// Every prefix sum, and the number at every position of what is still counted, as a plain
/// vector of counts gives them.
void ExpectMatches(const KROFenwickTree& tree, const std::vector<int>& counts) {
  ASSERT_EQ(tree.Size(), int(counts.size()));
  int sum = 0;
  std::vector<int> listed; // numbers counting 1, in order
  for (int n = 0; n <= int(counts.size()); ++n) {
    ASSERT_EQ(tree.Prefix(n), sum) << "prefix " << n;
    if (n < int(counts.size())) {
      sum += counts[std::size_t(n)];
      if (counts[std::size_t(n)] == 1) listed.push_back(n);
    }
  }
  for (int position = 0; position < int(listed.size()); ++position)
    ASSERT_EQ(tree.NumberAt(position), listed[std::size_t(position)]) << "position " << position;
  EXPECT_EQ(tree.NumberAt(int(listed.size())), tree.Size()) << "past the last counted position";
}

TEST(KROFenwickTree, RandomPushesAndRemovalsMatchAPlainVector) {
  std::mt19937 random(7);
  KROFenwickTree tree;
  std::vector<int> counts;
  for (int step = 0; step < 3000; ++step) {
    const bool remove = random() % 3 == 0;
    std::vector<int> counted;
    for (int n = 0; n < int(counts.size()); ++n)
      if (counts[std::size_t(n)] == 1) counted.push_back(n);
    if (remove && !counted.empty()) {
      const int n = counted[random() % counted.size()];
      tree.Add(n, -1);
      counts[std::size_t(n)] = 0;
    } else {
      ASSERT_TRUE(tree.Push());
      counts.push_back(1);
    }
    if (step % 97 == 0 || step < 70) ExpectMatches(tree, counts);
  }
  ExpectMatches(tree, counts);
}

TEST(KROFenwickTree, ResetNumbersAfreshAndClearEmpties) {
  KROFenwickTree tree;
  for (int i = 0; i < 10; ++i)
    ASSERT_TRUE(tree.Push());
  tree.Add(3, -1);
  tree.Add(8, -1);
  for (int n : {0, 1, 5, 64, 100}) {
    ASSERT_TRUE(tree.Reset(n));
    ExpectMatches(tree, std::vector<int>(std::size_t(n), 1));
    ASSERT_TRUE(tree.Push()) << "pushing after a reset goes on from n";
    std::vector<int> counts(std::size_t(n) + 1, 1);
    tree.Add(n / 2, -1);
    counts[std::size_t(n / 2)] = 0;
    ExpectMatches(tree, counts);
  }
  tree.Clear();
  ExpectMatches(tree, {});
}
} // namespace
