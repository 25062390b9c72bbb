// WAV images built by hand: chunk walking, refusal codes in their order, sample edge values.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "tests/storage/DecodeHelpers.h"

namespace tarnwick {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::channel;
using test::decode;
using test::decodeCode;
using test::expectStereo16;
using test::fmtBody;
using test::riff;
using test::wav;

const Bytes kStereo16 = {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F};  // 1, -1 | -32768, 32767

TEST(WavChunkWalkTest, PlainFmtAndData) { expectStereo16(wav(2, 16, kStereo16)); }

TEST(WavChunkWalkTest, SkipsChunksBetweenFmtAndData) {
  for (const char* id : {"LIST", "fact", "JUNK", "bext", "smpl", "inst", "PAD ", "id3 ", "cue "}) {
    SCOPED_TRACE(id);
    expectStereo16(riff(ByteWriter()
                            .chunk("fmt ", fmtBody(test::kPcmTag, 2, 44100, 16))
                            .chunk(id, Bytes(12, 0x55))
                            .chunk("data", kStereo16)
                            .data()));
  }
}

TEST(WavChunkWalkTest, OddSizedChunksArePadded) {
  // "inst" of size 7 and a LIST of size 1 are each followed by one pad byte.
  expectStereo16(riff(ByteWriter()
                          .chunk("fmt ", fmtBody(test::kPcmTag, 2, 44100, 16))
                          .chunk("smpl", Bytes(36, 0))
                          .chunk("inst", Bytes(7, 0x3C))
                          .chunk("LIST", Bytes(1, 'x'))
                          .chunk("PAD ", Bytes(20, 0))
                          .chunk("data", kStereo16)
                          .data()));
}

TEST(WavChunkWalkTest, ChunksMayComeInAnyOrder) {
  SCOPED_TRACE("JUNK and bext before fmt");
  expectStereo16(riff(ByteWriter()
                          .chunk("JUNK", Bytes(28, 0))
                          .chunk("bext", Bytes(603, 0x20))
                          .chunk("fmt ", fmtBody(test::kPcmTag, 2, 44100, 16))
                          .chunk("data", kStereo16)
                          .data()));
  SCOPED_TRACE("data before fmt, LIST after");
  expectStereo16(riff(ByteWriter()
                          .chunk("data", kStereo16)
                          .chunk("LIST", Bytes(9, 1))
                          .chunk("fmt ", fmtBody(test::kPcmTag, 2, 44100, 16))
                          .data()));
}

TEST(WavChunkWalkTest, LongerFmtChunkIsAccepted) {
  Bytes fmt = fmtBody(test::kPcmTag, 2, 44100, 16);
  fmt.insert(fmt.end(), {0, 0, 0xAB});  // cbSize plus one stray byte: odd size, padded
  expectStereo16(riff(ByteWriter().chunk("fmt ", fmt).chunk("data", kStereo16).data()));
}

TEST(WavChunkWalkTest, ExtensibleFormatWithPcmGuidLoads) {
  expectStereo16(
      riff(ByteWriter().chunk("fmt ", test::extensibleFmtBody(2, 44100, 16, 1)).chunk("data", kStereo16).data()));
}

TEST(WavRefusalTest, UnknownFormatAndMissingChunks) {
  EXPECT_EQ(decodeCode({}), kStorageUnknownFormat);
  EXPECT_EQ(decodeCode({'R', 'I', 'F'}), kStorageUnknownFormat);
  Bytes rifx = wav(2, 16, kStereo16);
  rifx[3] = 'X';
  EXPECT_EQ(decodeCode(rifx), kStorageUnknownFormat);

  EXPECT_EQ(decodeCode({'R', 'I', 'F', 'F'}), kStorageNoWaveChunk);
  EXPECT_EQ(decodeCode(riff(ByteWriter().chunk("fmt ", fmtBody(1, 2, 44100, 16)).data(), "AVI ")), kStorageNoWaveChunk);
  EXPECT_EQ(decodeCode(riff({})), kStorageNoFmtChunk);
  EXPECT_EQ(decodeCode(riff(ByteWriter().chunk("data", kStereo16).data())), kStorageNoFmtChunk);
  EXPECT_EQ(decodeCode(riff(ByteWriter().chunk("fmt ", fmtBody(1, 2, 44100, 16)).data())), kStorageNoDataChunk);
  // A chunk header cut short ends the walk.
  Bytes cut = riff(ByteWriter().chunk("fmt ", fmtBody(1, 2, 44100, 16)).tag("dat").data());
  EXPECT_EQ(decodeCode(cut), kStorageNoDataChunk);
}

Bytes withFormat(const Bytes& fmt, const Bytes& samples = kStereo16) {
  return riff(ByteWriter().chunk("fmt ", fmt).chunk("data", samples).data());
}

TEST(WavRefusalTest, SampleFormat) {
  EXPECT_EQ(decodeCode(withFormat(fmtBody(2, 2, 44100, 4))), kStorageNotPcm);  // ADPCM
  EXPECT_EQ(decodeCode(withFormat(fmtBody(test::kExtensibleTag, 2, 44100, 16))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(test::extensibleFmtBody(2, 44100, 16, 2))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 44100, 12))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 44100, 64))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(test::kFloatTag, 2, 44100, 16))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(test::extensibleFmtBody(2, 44100, 24, 3))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 7999, 16))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 384001, 16))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 0, 44100, 16))), kStorageBadChannels);
}

// Rates, depths and channel counts that were refused once load now; the rate is reported.
TEST(WavSampleTest, AnyRateDepthAndChannelCountLoads) {
  struct Case {
    Bytes fmt;
    double rate;
    int32_t channels, bits;
    bool floating;
  };
  const Case cases[] = {
      {fmtBody(1, 2, 48000, 16), 48000, 2, 16, false},
      {fmtBody(1, 2, 8000, 32), 8000, 2, 32, false},
      {fmtBody(test::kFloatTag, 2, 384000, 32), 384000, 2, 32, true},
      {fmtBody(test::kFloatTag, 1, 96000, 64), 96000, 1, 64, true},
      {test::extensibleFmtBody(2, 44101, 32, 1), 44101, 2, 32, false},
      {test::extensibleFmtBody(2, 22050, 32, 3), 22050, 2, 32, true},
      {fmtBody(1, 3, 44100, 16), 44100, 3, 16, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    ChannelPair out;
    AudioFileInfo info;
    const Bytes image = withFormat(c.fmt, Bytes(48, 0));
    ASSERT_EQ(decodeAudioFile(image.data(), image.size(), out, &info), kStorageOk);
    EXPECT_EQ(out.frameCount, 48 / (c.channels * c.bits / 8));
    EXPECT_EQ(info.sampleRate, c.rate);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.bits, c.bits);
    EXPECT_EQ(info.floatingPoint, c.floating);
  }
}

TEST(WavSampleTest, ThirtyTwoBitAndFloatValues) {
  ChannelPair out;
  Bytes ints = ByteWriter().u32(0x80000000u).u32(0x7FFFFFFFu).u32(1).u32(0xFFFFFF80u).data();
  ASSERT_EQ(decode(wav(2, 32, ints), out), kStorageOk);
  EXPECT_EQ(channel(out, false), (std::vector<float>{-1.0f, float(1 / 2147483648.0)}));
  EXPECT_EQ(channel(out, true), (std::vector<float>{float(0x7FFFFFFF / 2147483648.0), float(-128 / 2147483648.0)}));

  // Floats as they are, beyond full scale too; an infinity or NaN becomes silence.
  const float values[] = {0.25f, -1.5f, 3e-39f, -0.0f, 1.0f / 0.0f, std::nanf("")};
  ByteWriter floats;
  for (float v : values) floats.u32(std::bit_cast<uint32_t>(v));
  ASSERT_EQ(decode(withFormat(fmtBody(test::kFloatTag, 1, 44100, 32), floats.data()), out), kStorageOk);
  EXPECT_EQ(channel(out, false), (std::vector<float>{0.25f, -1.5f, 3e-39f, -0.0f, 0.0f, 0.0f}));
  EXPECT_TRUE(std::signbit(out.left[3]));

  const double doubles[] = {0.1, -2.0, 1e300};
  ByteWriter wide;
  for (double v : doubles)
    wide.u32(uint32_t(std::bit_cast<uint64_t>(v))).u32(uint32_t(std::bit_cast<uint64_t>(v) >> 32));
  ASSERT_EQ(decode(withFormat(fmtBody(test::kFloatTag, 1, 44100, 64), wide.data()), out), kStorageOk);
  EXPECT_EQ(channel(out, false), (std::vector<float>{0.1f, -2.0f, 0.0f}));
}

TEST(WavSampleTest, WiderFilesGiveTheirFirstTwoChannels) {
  ChannelPair out;
  const Bytes samples = ByteWriter().u16(1).u16(2).u16(3).u16(4).u16(5).u16(6).u16(7).u16(8).data();
  ASSERT_EQ(decode(withFormat(fmtBody(1, 4, 44100, 16), samples), out), kStorageOk);
  EXPECT_EQ(channel(out, false), (std::vector<float>{float(1 / 32767.0), float(5 / 32767.0)}));
  EXPECT_EQ(channel(out, true), (std::vector<float>{float(2 / 32767.0), float(6 / 32767.0)}));
}

TEST(WavRefusalTest, ShortFmtFieldsFailTheirChecks) {
  EXPECT_EQ(decodeCode(withFormat({})), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat({1, 0})), kStorageBadBits);
  Bytes noBits = fmtBody(1, 2, 44100, 16);
  noBits.resize(14);
  EXPECT_EQ(decodeCode(withFormat(noBits)), kStorageBadBits);
}

TEST(WavRefusalTest, ChecksComeInTheirOrder) {
  EXPECT_EQ(decodeCode(riff({}, "WAVX")), kStorageNoWaveChunk);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(2, 0, 1000, 12))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 0, 1000, 12))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 0, 1000, 16))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 0, 44100, 16), {})), kStorageBadChannels);
  EXPECT_EQ(decodeCode(riff(ByteWriter().chunk("fmt ", fmtBody(3, 2, 44100, 32)).data())), kStorageNoDataChunk);
  // A sample format failure outranks data that the file does not hold.
  Bytes truncated = withFormat(fmtBody(1, 2, 1000, 16));
  truncated.resize(truncated.size() - 4);
  EXPECT_EQ(decodeCode(truncated), kStorageBadRate);
}

TEST(WavRefusalTest, NoWholeFrame) {
  EXPECT_EQ(decodeCode(wav(2, 16, {})), kStorageNoAudioData);
  EXPECT_EQ(decodeCode(wav(2, 16, {1, 2, 3})), kStorageNoAudioData);
  EXPECT_EQ(decodeCode(wav(2, 24, {1, 2, 3, 4, 5})), kStorageNoAudioData);
  EXPECT_EQ(decodeCode(wav(1, 24, {1, 2})), kStorageNoAudioData);
}

TEST(WavRefusalTest, DataBeyondTheImage) {
  Bytes image = wav(2, 16, kStereo16);
  image.pop_back();
  EXPECT_EQ(decodeCode(image), kStorageFileError);
  const Bytes huge =
      riff(ByteWriter().chunk("fmt ", fmtBody(1, 2, 44100, 16)).chunk("data", kStereo16, 0xFFFFFFF0).data());
  EXPECT_EQ(decodeCode(huge), kStorageFileError);
}

TEST(WavSampleTest, EightBitIsUnsignedAroundHalfScale) {
  ChannelPair out;
  ASSERT_EQ(decode(wav(1, 8, {0x80, 0x00, 0xFF, 0x7F, 0x81}), out), kStorageOk);
  const std::vector<float> expected = {0.0f, -1.0f, 0.9921875f, -0.0078125f, 0.0078125f};
  EXPECT_EQ(channel(out, false), expected);
  EXPECT_EQ(channel(out, true), expected);
}

TEST(WavSampleTest, SixteenBitDividesBy32767WithoutClipping) {
  ChannelPair out;
  ASSERT_EQ(decode(wav(1, 16, {0x00, 0x80, 0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}), out), kStorageOk);
  const auto left = channel(out, false);
  ASSERT_EQ(left.size(), 4u);
  EXPECT_FLOAT_EQ(left[0], -1.0000305f);
  EXPECT_LT(left[0], -1.0f);
  EXPECT_EQ(left[1], 1.0f);
  EXPECT_EQ(left[2], 0.0f);
  EXPECT_EQ(left[3], float(1 / 32767.0));
  EXPECT_EQ(channel(out, true), left);
}

TEST(WavSampleTest, TwentyFourBitIsScaledBy2To31) {
  ChannelPair out;
  ASSERT_EQ(decode(wav(2, 24,
                       {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F,    // min | max
                        0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF}),  // 1 | -1
                   out),
            kStorageOk);
  EXPECT_EQ(channel(out, false), (std::vector<float>{-1.0f, float(256 / 2147483648.0)}));
  EXPECT_EQ(channel(out, true), (std::vector<float>{float(0x7FFFFF00 / 2147483648.0), float(-256 / 2147483648.0)}));
}

TEST(WavSampleTest, PartialLastFrameIsDropped) {
  ChannelPair out;
  ASSERT_EQ(decode(wav(2, 16, {0x00, 0x40, 0x00, 0xC0, 0x11, 0x22, 0x33}), out), kStorageOk);
  EXPECT_EQ(out.frameCount, 1);
  EXPECT_EQ(channel(out, false), std::vector<float>{float(16384 / 32767.0)});
  EXPECT_EQ(channel(out, true), std::vector<float>{float(-16384 / 32767.0)});
}

TEST(WavSampleTest, ExtensibleTwentyFourBitMono) {
  ChannelPair out;
  const Bytes samples = {0x00, 0x00, 0x40, 0x56, 0x34, 0x12};
  ASSERT_EQ(decode(withFormat(test::extensibleFmtBody(1, 44100, 24, 1), samples), out), kStorageOk);
  const std::vector<float> expected = {0.5f, float(0x12345600 / 2147483648.0)};
  EXPECT_EQ(channel(out, false), expected);
  EXPECT_EQ(channel(out, true), expected);
}

TEST(WavSampleTest, FailedDecodeLeavesThePreviousAudio) {
  ChannelPair out;
  ASSERT_EQ(decode(wav(1, 16, {0x00, 0x40}), out), kStorageOk);
  const float* left = out.left.get();
  const float* right = out.right.get();
  EXPECT_EQ(decode(withFormat(fmtBody(1, 2, 1000, 16)), out), kStorageBadRate);
  EXPECT_EQ(decode(wav(2, 16, {}), out), kStorageNoAudioData);
  Bytes truncated = wav(2, 16, kStereo16);
  truncated.resize(truncated.size() - 1);
  EXPECT_EQ(decode(truncated, out), kStorageFileError);
  EXPECT_EQ(out.frameCount, 1);
  EXPECT_EQ(out.left.get(), left);
  EXPECT_EQ(out.right.get(), right);
  EXPECT_EQ(out.left[0], float(16384 / 32767.0));
}

}  // namespace
}  // namespace tarnwick
