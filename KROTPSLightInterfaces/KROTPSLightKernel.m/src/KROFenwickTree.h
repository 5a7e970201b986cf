// KROFenwickTree.h - counts over a growing run of numbers, with prefix sums in O(log n).
///
/// Each number 0, 1, 2, ... carries a count that starts at 1 when the number is pushed and may be
/// lowered afterwards. The tree answers how much the first n numbers carry, and which number
/// holds a given position once the counts are added up in order.
/// \code
///   KROFenwickTree tree;
///   tree.Push(); tree.Push(); tree.Push(); // numbers 0, 1, 2, each counting 1
///   tree.Add(1, -1);                       // number 1 counts 0
///   tree.Prefix(3);                        // 2
///   tree.NumberAt(1);                      // 2: the second counted position is number 2
/// \endcode
/// Memory running out is reported by Push and Reset returning false; the tree is then left as it
/// was before the call.
#pragma once

#include "KROTPSKernelPrivate.h"

#include <cstddef>
#include <new>
#include <vector>

class KROFenwickTree {
public:
  /// Numbers pushed since the last Reset or Clear.
  int Size() const { return int(tree_.size()); }
  void Clear() { tree_.clear(); }

  /// The sum of the counts of numbers 0 .. n - 1.
  int Prefix(int n) const {
    int sum = 0;
    for (int i = n; i > 0; i -= i & -i)
      sum += tree_[std::size_t(i - 1)];
    return sum;
  }

  /// Adds `delta` to the count of `number`, which was pushed.
  void Add(int number, int delta) {
    for (int i = number + 1; i <= Size(); i += i & -i)
      tree_[std::size_t(i - 1)] += delta;
  }

  /// A new number, counting 1. Its node covers (i - lowbit(i), i], the nodes below it included.
  bool Push() {
    const int i = Size() + 1;
    int covered = 1;
    for (int j = i - 1; j > i - (i & -i); j -= j & -j)
      covered += tree_[std::size_t(j - 1)];
    try {
      tree_.push_back(covered);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  /// The smallest number n with Prefix(n + 1) == position + 1: the number at `position` when
  /// counts are 0 or 1. Size() when the counts add up to no more than `position`.
  int NumberAt(int position) const {
    const int size = Size();
    int step = 1;
    while (step * 2 <= size)
      step *= 2;
    int at = 0, rest = position + 1;
    for (; step > 0; step /= 2)
      if (at + step <= size && tree_[std::size_t(at + step - 1)] < rest) {
        at += step;
        rest -= tree_[std::size_t(at - 1)];
      }
    return at;
  }

  /// Numbers 0 .. n - 1 afresh, each counting 1.
  bool Reset(int n) {
    try {
      tree_.assign(std::size_t(n), 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    for (int i = 1; i <= n; ++i)
      tree_[std::size_t(i - 1)] = i & -i;
    return true;
  }

private:
  std::vector<int> tree_; // node i - 1 sums the counts of numbers (i - lowbit(i), i]
};
