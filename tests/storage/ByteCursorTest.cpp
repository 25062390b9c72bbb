// Bounded byte cursor: byte order of each field and refusal at the end of the span.
#include <gtest/gtest.h>

#include "storage/ByteCursor.h"

namespace tarnwick {
namespace {

const uint8_t kBytes[] = {0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0xFF, 0x7F};

TEST(ByteCursorTest, ReadsBothByteOrders) {
  ByteCursor cursor(kBytes, sizeof kBytes);
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  int16_t i16 = 0;
  int32_t i32 = 0;
  ASSERT_TRUE(cursor.u16le(u16));
  EXPECT_EQ(u16, 0x0201);
  ASSERT_TRUE(cursor.u16be(u16));
  EXPECT_EQ(u16, 0x0304);
  ASSERT_TRUE(cursor.i16le(i16));
  EXPECT_EQ(i16, -2);
  ASSERT_TRUE(cursor.i16be(i16));
  EXPECT_EQ(i16, -129);  // 0xFF7F
  EXPECT_EQ(cursor.remaining(), 0u);

  ByteCursor words(kBytes, sizeof kBytes);
  ASSERT_TRUE(words.u32le(u32));
  EXPECT_EQ(u32, 0x04030201u);
  ASSERT_TRUE(words.i32le(i32));
  EXPECT_EQ(i32, 0x7FFFFFFE);
  ByteCursor bigWords(kBytes, sizeof kBytes);
  ASSERT_TRUE(bigWords.u32be(u32));
  EXPECT_EQ(u32, 0x01020304u);
  ASSERT_TRUE(bigWords.i32be(i32));
  EXPECT_EQ(i32, int32_t(0xFEFFFF7F));
}

TEST(ByteCursorTest, FourccComparesWithTheNamedCode) {
  const uint8_t riff[] = {'R', 'I', 'F', 'F'};
  ByteCursor cursor(riff, sizeof riff);
  uint32_t id = 0;
  ASSERT_TRUE(cursor.fourcc(id));
  EXPECT_EQ(id, fourcc("RIFF"));
  EXPECT_NE(id, fourcc("RIFX"));
  EXPECT_EQ(fourcc("RIFF"), 0x52494646u);
}

TEST(ByteCursorTest, ReadPastTheEndFailsAndChangesNothing) {
  ByteCursor cursor(kBytes, sizeof kBytes);
  ASSERT_TRUE(cursor.skip(6));
  uint32_t u32 = 0xDEADBEEF;
  EXPECT_FALSE(cursor.u32le(u32));
  EXPECT_FALSE(cursor.u32be(u32));
  EXPECT_EQ(u32, 0xDEADBEEFu);
  EXPECT_EQ(cursor.position(), 6u);
  uint8_t buffer[4] = {9, 9, 9, 9};
  EXPECT_FALSE(cursor.bytes(buffer, 3));
  EXPECT_EQ(buffer[0], 9);
  EXPECT_FALSE(cursor.skip(3));
  EXPECT_EQ(cursor.position(), 6u);
  uint16_t u16 = 0;
  EXPECT_TRUE(cursor.u16be(u16));
  EXPECT_EQ(u16, 0xFF7F);
  EXPECT_FALSE(cursor.skip(1));
  EXPECT_TRUE(cursor.skip(0));
}

TEST(ByteCursorTest, HugeSkipDoesNotWrap) {
  ByteCursor cursor(kBytes, sizeof kBytes);
  ASSERT_TRUE(cursor.skip(1));
  EXPECT_FALSE(cursor.skip(SIZE_MAX));
  EXPECT_EQ(cursor.position(), 1u);
}

TEST(ByteCursorTest, NullSpanReadsNothing) {
  ByteCursor cursor(nullptr, 100);
  uint8_t value = 0;
  EXPECT_EQ(cursor.size(), 0u);
  EXPECT_FALSE(cursor.u8(value));
}

}  // namespace
}  // namespace tarnwick
