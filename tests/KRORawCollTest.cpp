// 1-based access and copy independence of the runtime's value collections.
#include "KRORawColl.h"

#include <gtest/gtest.h>

namespace {

TEST(KRORawColl, IndexesFromOneAndAnswersZeroOutside) {
  KRORawCollint ids(2);
  EXPECT_EQ(ids.Size(), 0) << "the initial size is only a hint";
  for (int v : {4, 9, -1, 16, 25})
    ASSERT_EQ(ids.Append(v), 1);
  EXPECT_EQ(ids.Size(), 5);
  EXPECT_EQ(ids[1], 4);
  EXPECT_EQ(ids[5], 25);
  EXPECT_EQ(ids[0], 0);
  EXPECT_EQ(ids[6], 0);
  EXPECT_EQ(ids[-1], 0);
  ids.Set(3, 7);
  ids.Set(0, 99);
  ids.Set(6, 99);
  EXPECT_EQ(ids[3], 7);
  EXPECT_EQ(ids.Size(), 5);
  EXPECT_EQ(ids.Data()[2], 7);
}

TEST(KRORawColl, CopiesAreIndependent) {
  KRORawColldouble points;
  for (double v : {1.5, 2.5, 3.5})
    points.Append(v);
  KRORawColldouble copy(points);
  points.Set(1, 0.0);
  points.Append(4.5);
  EXPECT_EQ(copy.Size(), 3);
  EXPECT_EQ(copy[1], 1.5);

  KRORawColldouble target;
  for (int i = 0; i < 10; ++i)
    target.Append(i);
  target = copy;
  EXPECT_EQ(target.Size(), 3) << "assignment replaces, not appends";
  copy.RemoveAll();
  EXPECT_EQ(copy.Size(), 0);
  EXPECT_EQ(target[3], 3.5);
  const KRORawColldouble& same = target;
  target = same;
  EXPECT_EQ(target[2], 2.5);
}

TEST(KRORawColl, PointerCollectionCopiesThePointersNotThePointees) {
  KRORawCollint path;
  path.Append(11);
  KRORawCollPV paths;
  paths.Append(&path);
  paths.Append(nullptr);
  KRORawCollPV copy;
  copy = paths;
  EXPECT_EQ(copy[1], &path);
  EXPECT_EQ(copy[2], nullptr);
  EXPECT_EQ(copy[3], nullptr);
}

} // namespace
