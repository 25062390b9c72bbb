// Reading from disk: open failures, data the file does not hold, allocation failures, and the
// caller's previous audio surviving every failure.
#include <gtest/gtest.h>

#include "tests/storage/DecodeHelpers.h"
#include "tests/support/AllocationWatch.h"

namespace tarnwick {
namespace {

using test::AllocationWatch;
using test::Bytes;
using test::ByteWriter;
using test::TempDir;

constexpr size_t kMegabyte = 1 << 20;

StorageResult readCode(const std::filesystem::path& file) {
  ChannelPair out;
  const StorageResult result = readAudioFile(file.string().c_str(), out);
  if (result != kStorageOk) {
    EXPECT_FALSE(out.left);
  }
  return result;
}

Bytes stereo24(size_t frames) {
  Bytes samples(frames * 6);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 37 + 11);
  return samples;
}

TEST(ReadAudioFileTest, OpenFailures) {
  TempDir folder;
  EXPECT_EQ(readCode(folder.file("missing.wav")), kStorageCannotOpen);
  EXPECT_EQ(readCode(folder.file("")), kStorageCannotOpen);  // the folder itself
  ChannelPair out;
  EXPECT_EQ(readAudioFile(nullptr, out), kStorageCannotOpen);
  test::writeFile(folder.file("empty.wav"), {});
  EXPECT_EQ(readCode(folder.file("empty.wav")), kStorageUnknownFormat);
  test::writeFile(folder.file("text.wav"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(readCode(folder.file("text.wav")), kStorageUnknownFormat);
}

TEST(ReadAudioFileTest, ClaimedDataBeyondTheFileFailsWithoutAllocatingIt) {
  TempDir folder;
  const auto wavFile = folder.file("huge-claim.wav");
  test::writeFile(
      wavFile,
      test::riff(
          ByteWriter().chunk("fmt ", test::fmtBody(1, 2, 44100, 24)).chunk("data", stereo24(100), 0xFFFFFFF0).data()));
  const auto aiffFile = folder.file("huge-claim.aiff");
  test::writeFile(aiffFile, test::form(ByteWriter(true)
                                           .chunk("COMM", test::commBody(2, 100, 24))
                                           .chunk("SSND", test::ssndBody(0, stereo24(100)), 0x7FFFFFF0)
                                           .data()));
  for (const auto& file : {wavFile, aiffFile}) {
    AllocationWatch probe;
    EXPECT_EQ(readCode(file), kStorageFileError) << file;
    EXPECT_LT(probe.largest(), kMegabyte) << file;
  }
}

TEST(ReadAudioFileTest, TruncatedDataFails) {
  TempDir folder;
  Bytes wav = test::wav(2, 16, Bytes(4000, 1));
  wav.resize(wav.size() - 1000);
  test::writeFile(folder.file("cut.wav"), wav);
  EXPECT_EQ(readCode(folder.file("cut.wav")), kStorageFileError);
  Bytes aiff = test::aiff(1, 8, Bytes(4000, 1));
  aiff.resize(aiff.size() - 1);
  test::writeFile(folder.file("cut.aiff"), aiff);
  EXPECT_EQ(readCode(folder.file("cut.aiff")), kStorageFileError);
}

TEST(ReadAudioFileTest, AllocationFailureGives40AndKeepsThePreviousAudio) {
  TempDir folder;
  const size_t frames = 200000;
  const auto file = folder.file("big.wav");
  test::writeFile(file, test::wav(2, 24, stereo24(frames)));
  const Bytes image = test::readFile(file);
  const std::string path = file.string();

  ChannelPair out;
  ASSERT_EQ(test::decode(test::wav(1, 8, {0x80, 0xC0}), out), kStorageOk);
  const float* previous = out.left.get();

  const size_t channelBytes = (frames + 1) * sizeof(float);
  {
    SCOPED_TRACE("channel arrays");
    AllocationWatch probe(channelBytes);
    EXPECT_EQ(readAudioFile(path.c_str(), out), kStorageOutOfMemory);
    EXPECT_EQ(test::decode(image, out), kStorageOutOfMemory);
  }
  {
    SCOPED_TRACE("scratch area for a single read of all sample data");
    AllocationWatch probe(channelBytes + 1);
    EXPECT_EQ(readAudioFileInBlocks(path.c_str(), out, SIZE_MAX), kStorageOutOfMemory);
    EXPECT_EQ(probe.largest(), frames * 6 + 1);
  }
  EXPECT_EQ(out.frameCount, 2);
  EXPECT_EQ(out.left.get(), previous);
  EXPECT_EQ(out.left[1], 0.5f);

  {
    AllocationWatch probe;
    ASSERT_EQ(readAudioFile(path.c_str(), out), kStorageOk);
    EXPECT_EQ(probe.largest(), channelBytes);  // the read blocks are smaller than a channel
  }
  EXPECT_EQ(out.frameCount, int32_t(frames));
  EXPECT_EQ(out.left[frames], 0.0f);
  EXPECT_EQ(out.right[frames], 0.0f);
}

TEST(ReadAudioFileTest, EveryBlockSizeGivesTheSameSamples) {
  TempDir folder;
  const Bytes samples = stereo24(1001);  // 1001 stereo 24-bit frames; fewer of the wider kinds
  const std::pair<const char*, Bytes> files[] = {
      {"s24.wav", test::wav(2, 24, samples)},   {"m24.wav", test::wav(1, 24, samples)},
      {"s16.wav", test::wav(2, 16, samples)},   {"m8.wav", test::wav(1, 8, samples)},
      {"s24.aiff", test::aiff(2, 24, samples)}, {"m16.aiff", test::aiff(1, 16, samples)},
  };
  for (const auto& [name, image] : files) {
    SCOPED_TRACE(name);
    ChannelPair expected;
    ASSERT_EQ(test::decode(image, expected), kStorageOk);
    test::writeFile(folder.file(name), image);
    for (size_t block : {size_t(1), size_t(5), size_t(6), size_t(4099), size_t(65536), SIZE_MAX}) {
      SCOPED_TRACE(block);
      ChannelPair out;
      ASSERT_EQ(readAudioFileInBlocks(folder.file(name).string().c_str(), out, block), kStorageOk);
      ASSERT_EQ(out.frameCount, expected.frameCount);
      EXPECT_EQ(test::channel(out, false), test::channel(expected, false));
      EXPECT_EQ(test::channel(out, true), test::channel(expected, true));
    }
  }
}

TEST(ReadAudioFileTest, DecodingFromMemoryNeedsNoScratch) {
  const Bytes image = test::wav(2, 24, stereo24(100000));
  ChannelPair out;
  AllocationWatch probe;
  ASSERT_EQ(test::decode(image, out), kStorageOk);
  EXPECT_EQ(probe.largest(), (100000 + 1) * sizeof(float));
}

TEST(ReadAudioFileTest, FileAndImageGiveTheSameSamples) {
  // The data chunk before the fmt chunk makes the file reader seek backwards.
  TempDir folder;
  const Bytes samples = stereo24(3001);
  const Bytes image = test::riff(ByteWriter()
                                     .chunk("LIST", Bytes(33, 'x'))
                                     .chunk("data", samples)
                                     .chunk("fmt ", test::fmtBody(1, 2, 44100, 24))
                                     .data());
  test::writeFile(folder.file("late-fmt.wav"), image);
  ChannelPair fromFile;
  ChannelPair fromImage;
  ASSERT_EQ(readAudioFile(folder.file("late-fmt.wav").string().c_str(), fromFile), kStorageOk);
  ASSERT_EQ(test::decode(image, fromImage), kStorageOk);
  ASSERT_EQ(fromFile.frameCount, 3001);
  EXPECT_EQ(test::channel(fromFile, false), test::channel(fromImage, false));
  EXPECT_EQ(test::channel(fromFile, true), test::channel(fromImage, true));
  EXPECT_EQ(fromFile.left[0], float(0x55300B00 / 2147483648.0));  // bytes 0B 30 55
}

}  // namespace
}  // namespace tarnwick
