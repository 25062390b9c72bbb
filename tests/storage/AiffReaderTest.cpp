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
  for (const char* type : {"ima4", "raw ", "fl32", "ulaw", "none", "SOWT"}) {
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
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 32))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 0))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, rate80(48000)))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, rate80(-44100)))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withComm(commBody(2, 2, 16, {0x7F, 0xFF, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}))), kStorageBadRate);
  EXPECT_EQ(decodeCode(withComm(commBody(0, 2, 16))), kStorageBadChannels);
  EXPECT_EQ(decodeCode(withComm(commBody(3, 2, 16))), kStorageBadChannels);
  EXPECT_EQ(decodeCode(withComm(commBody(-1, 2, 16))), kStorageBadChannels);
  // Checked in the order bits, rate, channels.
  EXPECT_EQ(decodeCode(withComm(commBody(3, 2, 32, rate80(48000)))), kStorageBadBits);
  EXPECT_EQ(decodeCode(withComm(commBody(3, 2, 16, rate80(48000)))), kStorageBadRate);
  // COMM fields are checked where the COMM chunk stands, even with SSND missing.
  EXPECT_EQ(decodeCode(form(ByteWriter(true).chunk("COMM", commBody(2, 2, 32)).data())), kStorageBadBits);
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
