// WAV images built by hand: chunk walking, refusal codes in their order, sample edge values.
#include <gtest/gtest.h>

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
  EXPECT_EQ(decodeCode(withFormat(fmtBody(test::kFloatTag, 2, 44100, 32))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(2, 2, 44100, 4))), kStorageNotPcm);  // ADPCM
  EXPECT_EQ(decodeCode(withFormat(test::extensibleFmtBody(2, 44100, 32, 3))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(test::kExtensibleTag, 2, 44100, 16))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 44100, 32))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 44100, 12))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(test::extensibleFmtBody(2, 44100, 32, 1))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 48000, 16))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 2, 44101, 16))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 0, 44100, 16))), kStorageBadChannels);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 3, 44100, 16), Bytes(12, 0))), kStorageBadChannels);
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
  EXPECT_EQ(decodeCode(withFormat(fmtBody(3, 3, 48000, 32))), kStorageNotPcm);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 3, 48000, 32))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 3, 48000, 16))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withFormat(fmtBody(1, 3, 44100, 16), {})), kStorageBadChannels);
  EXPECT_EQ(decodeCode(riff(ByteWriter().chunk("fmt ", fmtBody(3, 2, 44100, 32)).data())), kStorageNoDataChunk);
  // A sample format failure outranks data that the file does not hold.
  Bytes truncated = withFormat(fmtBody(1, 2, 48000, 16));
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
  EXPECT_EQ(decode(withFormat(fmtBody(1, 2, 48000, 16)), out), kStorageBadRate);
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
