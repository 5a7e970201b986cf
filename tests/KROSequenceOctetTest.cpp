// Value semantics of the octet sequence that carries thumbnails.
#include "KROSequenceOctet.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(KROSequenceOctet, CopiesOwnTheirBytes) {
  _SEQUENCE_octet thumbnail{0x89, 'P', 'N', 'G'};
  _SEQUENCE_octet copy(thumbnail);
  _SEQUENCE_octet assigned;
  assigned = thumbnail;
  thumbnail = _SEQUENCE_octet{1};
  EXPECT_EQ(copy.length(), 4);
  EXPECT_EQ(copy[0], 0x89);
  EXPECT_EQ(copy[3], 'G');
  EXPECT_EQ(copy[4], 0);
  EXPECT_TRUE(copy == assigned);
  EXPECT_FALSE(copy == thumbnail);
  const unsigned char raw[] = {0x89, 'P', 'N', 'G'};
  EXPECT_TRUE(_SEQUENCE_octet(raw, 4) == copy);
  EXPECT_TRUE(_SEQUENCE_octet(nullptr, 3) == _SEQUENCE_octet());
  _SEQUENCE_octet moved(std::move(copy));
  EXPECT_TRUE(moved == assigned);
  copy = moved;
  EXPECT_TRUE(copy == moved);
}

} // namespace
