// AIFF and AIFC images built by hand: chunk order, SSND offsets, compression types, refusals.
#include <gtest/gtest.h>

#include "tests/storage/DecodeHelpers.h"

namespace tarnwick {
namespace {

using test::aifcCommBody;
using test::aiff;
using test::Bytes;
using test::ByteWriter;
using test::channel;
using test::commBody;
using test::decode;
using test::decodeCode;
using test::expectStereo16;
using test::form;
using test::rate80;
using test::ssndBody;

const Bytes kStereo16 = {0x00, 0x01, 0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF};  // 1, -1 | -32768, 32767

Bytes swapPairs(Bytes samples) {
  for (size_t i = 0; i + 1 < samples.size(); i += 2) std::swap(samples[i], samples[i + 1]);
  return samples;
}

TEST(AiffChunkWalkTest, CommThenSsnd) { expectStereo16(aiff(2, 16, kStereo16)); }

TEST(AiffChunkWalkTest, SsndBeforeComm) {
  expectStereo16(form(ByteWriter(true).chunk("SSND", ssndBody(0, kStereo16)).chunk("COMM", commBody(2, 2, 16)).data()));
}

TEST(AiffChunkWalkTest, OtherChunksAreSkippedWithPadding) {
  expectStereo16(form(ByteWriter(true)
                          .chunk("FVER", Bytes(4, 0))
                          .chunk("MARK", Bytes(2, 0))
                          .chunk("ANNO", Bytes(5, 'a'))  // odd: pad byte follows
                          .chunk("COMM", commBody(2, 2, 16))
                          .chunk("APPL", Bytes(11, 0))
                          .chunk("XYZW", Bytes(3, 0))
                          .chunk("SSND", ssndBody(0, kStereo16))
                          .chunk("ID3 ", Bytes(9, 0))
                          .data()));
}

TEST(AiffChunkWalkTest, SsndOffsetSkipsLeadingBytes) {
  ChannelPair out;
  const Bytes samples = {0x40, 0x00, 0xC0, 0x00, 0x20, 0x00};
  ASSERT_EQ(
      decode(form(ByteWriter(true).chunk("COMM", commBody(1, 3, 16)).chunk("SSND", ssndBody(6, samples)).data()), out),
      kStorageOk);
  EXPECT_EQ(channel(out, false),
            (std::vector<float>{float(16384 / 32767.0), float(-16384 / 32767.0), float(8192 / 32767.0)}));
  EXPECT_EQ(channel(out, true), channel(out, false));
}

TEST(AiffChunkWalkTest, LaterCommReplacesEarlier) {
  expectStereo16(form(ByteWriter(true)
                          .chunk("COMM", commBody(1, 4, 8))
                          .chunk("COMM", commBody(2, 2, 16))
                          .chunk("SSND", ssndBody(0, kStereo16))
                          .data()));
  // Once both were seen the walk stops, so a COMM after SSND that follows a good one is not read.
  expectStereo16(form(ByteWriter(true)
                          .chunk("COMM", commBody(2, 2, 16))
                          .chunk("SSND", ssndBody(0, kStereo16))
                          .chunk("COMM", commBody(2, 2, 32))
                          .data()));
}

TEST(AifcTest, UncompressedTypesLoad) {
  SCOPED_TRACE("NONE is big-endian");
  expectStereo16(form(ByteWriter(true)
                          .chunk("FVER", {0xA2, 0x80, 0x51, 0x40})
                          .chunk("COMM", aifcCommBody(2, 2, 16, "NONE"))
                          .chunk("SSND", ssndBody(0, kStereo16))
                          .data(),
                      "AIFC"));
  SCOPED_TRACE("sowt is little-endian");
  expectStereo16(form(ByteWriter(true)
                          .chunk("COMM", aifcCommBody(2, 2, 16, "sowt"))
                          .chunk("SSND", ssndBody(0, swapPairs(kStereo16)))
                          .data(),
                      "AIFC"));
}

TEST(AifcTest, SowtTwentyFourBit) {
  ChannelPair out;
  ASSERT_EQ(decode(form(ByteWriter(true)
                            .chunk("COMM", aifcCommBody(1, 2, 24, "sowt"))
                            .chunk("SSND", ssndBody(0, {0x00, 0x00, 0x80, 0x56, 0x34, 0x12}))
                            .data(),
                        "AIFC"),
                   out),
            kStorageOk);
  EXPECT_EQ(channel(out, false), (std::vector<float>{-1.0f, float(0x12345600 / 2147483648.0)}));
}

TEST(AifcTest, CompressedTypesAreRefused) {
  for (const char* type : {"ima4", "raw ", "ulaw", "alaw", "none", "SOWT", "42n1"}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(
        decodeCode(form(
            ByteWriter(true).chunk("COMM", aifcCommBody(2, 2, 16, type)).chunk("SSND", ssndBody(0, kStereo16)).data(),
            "AIFC")),
        kStorageAifcCompressed);
  }
  // An AIFC COMM too short to hold the compression type.
  EXPECT_EQ(decodeCode(form(ByteWriter(true).chunk("COMM", commBody(2, 2, 16)).data(), "AIFC")),
            kStorageAifcCompressed);
}

Bytes aifcOneFrame(int16_t channels, int16_t bits, const char* type, const Bytes& samples) {
  return form(
      ByteWriter(true).chunk("COMM", aifcCommBody(channels, 1, bits, type)).chunk("SSND", ssndBody(0, samples)).data(),
      "AIFC");
}

// Each AIFC type with its byte order and sample size; the fixed-size types take theirs whatever
// COMM states. Rates and channel counts once refused load, and the rate is reported.
TEST(AifcTest, IntegerAndFloatTypes) {
  const Bytes one = {0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};  // 0.5 as a 16/24/32-bit integer, 2.0 as float
  struct Case {
    const char* type;
    int16_t bits;
    size_t bytes;
    float expected;
  };
  const Case cases[] = {
      {"twos", 16, 2, float(16384 / 32767.0)},
      {"twos", 8, 1, 0.5f},
      {"in24", 16, 3, 0.5f},
      {"in32", 0, 4, 0.5f},
      {"NONE", 32, 4, 0.5f},
      {"fl32", 32, 4, 2.0f},
      {"fl64", 0, 8, 2.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ChannelPair out;
    ASSERT_EQ(decode(aifcOneFrame(1, c.bits, c.type, Bytes(one.begin(), one.begin() + long(c.bytes))), out),
              kStorageOk);
    EXPECT_EQ(channel(out, false), std::vector<float>{c.expected});
  }
  ChannelPair out;
  ASSERT_EQ(decode(aifcOneFrame(1, 32, "sowt", {0x00, 0x00, 0x00, 0xC0}), out), kStorageOk);
  EXPECT_EQ(channel(out, false), std::vector<float>{-0.5f});

  AudioFileInfo info;
  const Bytes wide = form(ByteWriter(true)
                              .chunk("COMM", commBody(3, 1, 24, rate80(22254.54545)))
                              .chunk("SSND", ssndBody(0, {0x40, 0, 0, 0xC0, 0, 0, 0x7F, 0xFF, 0xFF}))
                              .data());
  ASSERT_EQ(decodeAudioFile(wide.data(), wide.size(), out, &info), kStorageOk);
  EXPECT_EQ(channel(out, false), std::vector<float>{0.5f});
  EXPECT_EQ(channel(out, true), std::vector<float>{-0.5f});
  EXPECT_NEAR(info.sampleRate, 22254.54545, 1e-6);
  EXPECT_EQ(info.channels, 3);
  EXPECT_EQ(info.bits, 24);
}

TEST(AiffRefusalTest, FormAndMissingChunks) {
  EXPECT_EQ(decodeCode({'F', 'O', 'R', 'M'}), kStorageNoAiffChunk);
  EXPECT_EQ(decodeCode(form({}, "AIFX")), kStorageNoAiffChunk);
  EXPECT_EQ(decodeCode(form({}, "8SVX")), kStorageNoAiffChunk);
  EXPECT_EQ(decodeCode(form({})), kStorageNoCommChunk);
  EXPECT_EQ(decodeCode(form(ByteWriter(true).chunk("COMM", commBody(2, 2, 16)).data())), kStorageNoCommChunk);
  EXPECT_EQ(decodeCode(form(ByteWriter(true).chunk("SSND", ssndBody(0, kStereo16)).data())), kStorageNoCommChunk);
}

TEST(AiffRefusalTest, SampleFormat) {
  auto withComm = [](const Bytes& comm) {
    return form(ByteWriter(true).chunk("COMM", comm).chunk("SSND", ssndBody(0, kStereo16)).data());
  };
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 12))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 0))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 64))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, rate80(7999)))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, rate80(384000.5)))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, rate80(-44100)))), kStorageBadRate);
  // An all-ones exponent (infinity, NaN) is no rate.
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, {0x7F, 0xFF, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withComm(commBody(0, 2, 16))), kStorageBadChannels);
  EXPECT_EQ(decodeCode(withComm(commBody(-1, 2, 16))), kStorageBadChannels);
  // Checked in the order bits, rate, channels.
  EXPECT_EQ(decodeCode(withComm(commBody(0, 2, 12, rate80(1000)))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(0, 2, 16, rate80(1000)))), kStorageBadRate);
  // COMM fields are checked where the COMM chunk stands, even with SSND missing.
  EXPECT_EQ(decodeCode(form(ByteWriter(true).chunk("COMM", commBody(2, 2, 12)).data())), kStorageBadBits);
  Bytes shortComm = commBody(2, 2, 16);
  shortComm.resize(12);
  EXPECT_EQ(decodeCode(withComm(shortComm)), kStorageBadBits);
}

TEST(AiffRefusalTest, SoundDataProblems) {
  auto withSsnd = [](const Bytes& ssnd, int64_t statedSize = -1) {
    return form(ByteWriter(true).chunk("COMM", commBody(2, 2, 16)).chunk("SSND", ssnd, statedSize).data());
  };
  EXPECT_EQ(decodeCode(withSsnd(ssndBody(0, {}))), kStorageFileError);  // size 8: no sound data
  EXPECT_EQ(decodeCode(withSsnd({0, 0, 0, 0})), kStorageFileError);     // offset only
  EXPECT_EQ(decodeCode(withSsnd(ssndBody(0, {1, 2, 3}))), kStorageNoAudioData);
  EXPECT_EQ(decodeCode(withSsnd(ssndBody(4, {}), 12)), kStorageNoAudioData);  // offset eats all
  Bytes offsetTooLarge = ByteWriter(true).u32(100).u32(0).bytes(kStereo16).data();
  EXPECT_EQ(decodeCode(withSsnd(offsetTooLarge)), kStorageFileError);
  EXPECT_EQ(decodeCode(withSsnd(ssndBody(0, kStereo16), 0x7FFFFFF0)), kStorageFileError);
  Bytes truncated = aiff(2, 16, kStereo16);
  truncated.pop_back();
  EXPECT_EQ(decodeCode(truncated), kStorageFileError);
}

TEST(AiffSampleTest, EightBitIsSigned) {
  ChannelPair out;
  ASSERT_EQ(decode(aiff(1, 8, {0x80, 0x00, 0x7F, 0xFF, 0x40}), out), kStorageOk);
  const std::vector<float> expected = {-1.0f, 0.0f, 0.9921875f, -0.0078125f, 0.5f};
  EXPECT_EQ(channel(out, false), expected);
  EXPECT_EQ(channel(out, true), expected);
}

TEST(AiffSampleTest, TwentyFourBitStereoAndPartialFrame) {
  ChannelPair out;
  ASSERT_EQ(
      decode(aiff(2, 24, {0x80, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF, 0x01, 0x02}), out),
      kStorageOk);
  EXPECT_EQ(out.frameCount, 2);
  EXPECT_EQ(channel(out, false), (std::vector<float>{-1.0f, float(0x12345600 / 2147483648.0)}));
  EXPECT_EQ(channel(out, true), (std::vector<float>{float(0x7FFFFF00 / 2147483648.0), float(-256 / 2147483648.0)}));
}

}  // namespace
}  // namespace tarnwick
