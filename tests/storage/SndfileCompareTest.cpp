// Files written by libsndfile and converted by sox, decoded by us and compared sample by sample
// with libsndfile's own decoding.
#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tests/storage/DecodeHelpers.h"

namespace tarnwick {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::TempDir;

constexpr size_t kFrames = 4099;

class SndfileCompareTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { folder_ = std::make_unique<TempDir>(); }
  static void TearDownTestSuite() { folder_.reset(); }

  static std::filesystem::path path(const std::string& name) { return folder_->file(name); }

  static std::filesystem::path writeFixture(const std::string& name, int format, int channels, int rate = 44100) {
    const auto file = path(name);
    const auto signal = test::testSignal(kFrames * size_t(channels), uint32_t(name.size() * 7919 + format));
    EXPECT_TRUE(test::writeWithSndfile(file, format, channels, rate, signal)) << name;
    return file;
  }

  // Runs sox on a fixture; false when sox is not installed.
  static bool sox(const std::filesystem::path& from, const std::string& options, const std::filesystem::path& to) {
#ifdef TARNWICK_SOX
    if (!std::filesystem::exists(TARNWICK_SOX)) return false;
#ifdef _WIN32
    const char* quiet = "";
#else
    const char* quiet = " 2>/dev/null";
#endif
    const std::string command = std::string("\"") + TARNWICK_SOX + "\" \"" + from.string() + "\" " + options + " \"" +
                                to.string() + "\"" + quiet;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return true;
#else
    (void)from, (void)options, (void)to;
    return false;
#endif
  }

  static void expectMatchesSndfile(const std::filesystem::path& file, int rate = 44100) {
    SCOPED_TRACE(file.filename().string());
    const test::SndfileSamples reference = test::readWithSndfile(file);
    ASSERT_TRUE(reference.ok);
    ASSERT_NE(reference.bits, 0);
    ChannelPair fromFile;
    AudioFileInfo info;
    ASSERT_EQ(readAudioFile(file.string().c_str(), fromFile, &info), kStorageOk);
    EXPECT_EQ(info.sampleRate, rate);
    EXPECT_EQ(info.channels, reference.channels);
    EXPECT_EQ(info.bits, reference.bits);
    EXPECT_EQ(info.floatingPoint, reference.floating);
    ChannelPair fromImage;
    ASSERT_EQ(test::decode(test::readFile(file), fromImage), kStorageOk);
    for (const ChannelPair* audio : {&fromFile, &fromImage}) {
      ASSERT_EQ(audio->frameCount, reference.frames);
      const auto left = test::channel(*audio, false);
      const auto right = test::channel(*audio, true);
      size_t mismatches = 0;
      for (size_t i = 0; i < size_t(reference.frames); ++i) {
        const size_t base = i * size_t(reference.channels);
        const float expectedLeft = reference.expected(base);
        const float expectedRight = reference.channels >= 2 ? reference.expected(base + 1) : expectedLeft;
        if (left[i] != expectedLeft || right[i] != expectedRight) {
          if (++mismatches <= 3) {
            ADD_FAILURE() << "frame " << i << ": " << left[i] << "/" << right[i] << " expected " << expectedLeft << "/"
                          << expectedRight;
          }
        }
      }
      EXPECT_EQ(mismatches, 0u);
    }
  }

  static StorageResult readCode(const std::filesystem::path& file) {
    ChannelPair out;
    return readAudioFile(file.string().c_str(), out);
  }

 private:
  static std::unique_ptr<TempDir> folder_;
};

std::unique_ptr<TempDir> SndfileCompareTest::folder_;

TEST_F(SndfileCompareTest, WavAtEveryDepthAndChannelCount) {
  for (int subtype : {SF_FORMAT_PCM_U8, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24}) {
    for (int channels : {1, 2}) {
      const std::string name = "wav-" + std::to_string(subtype) + "-" + std::to_string(channels) + ".wav";
      expectMatchesSndfile(writeFixture(name, SF_FORMAT_WAV | subtype, channels));
    }
  }
}

TEST_F(SndfileCompareTest, AiffAtEveryDepthAndChannelCount) {
  for (int subtype : {SF_FORMAT_PCM_S8, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24}) {
    for (int channels : {1, 2}) {
      const std::string name = "aiff-" + std::to_string(subtype) + "-" + std::to_string(channels) + ".aiff";
      expectMatchesSndfile(writeFixture(name, SF_FORMAT_AIFF | subtype, channels));
    }
  }
}

TEST_F(SndfileCompareTest, ExtensibleWavAndLittleEndianAifc) {
  expectMatchesSndfile(writeFixture("ext16.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2));
  expectMatchesSndfile(writeFixture("ext24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 1));
  expectMatchesSndfile(writeFixture("sowt16.aifc", SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 2));
}

TEST_F(SndfileCompareTest, WavWithTitleCarriesListChunk) {
  const auto file = path("titled.wav");
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  SNDFILE* handle = sf_open(file.string().c_str(), SFM_WRITE, &info);
  ASSERT_NE(handle, nullptr);
  sf_set_string(handle, SF_STR_TITLE, "grain source");
  sf_set_string(handle, SF_STR_COMMENT, "odd");
  const auto signal = test::testSignal(2 * kFrames, 99);
  ASSERT_EQ(sf_writef_int(handle, signal.data(), kFrames), sf_count_t(kFrames));
  sf_close(handle);
  ASSERT_NE(test::readFile(file).size(), 0u);
  expectMatchesSndfile(file);
}

TEST_F(SndfileCompareTest, HandBuiltFilesWithExtraChunks) {
  const auto signal = test::testSignal(2 * kFrames, 5);
  Bytes samples;
  for (int32_t value : signal) {
    samples.insert(samples.end(), {uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
  }
  const auto wavFile = path("chunky.wav");
  test::writeFile(wavFile, test::riff(ByteWriter()
                                          .chunk("JUNK", Bytes(28, 0))
                                          .chunk("fmt ", test::fmtBody(test::kPcmTag, 2, 44100, 24))
                                          .chunk("fact", {1, 2, 3, 4})
                                          .chunk("LIST", Bytes(13, 'i'))
                                          .chunk("smpl", Bytes(36, 0))
                                          .chunk("inst", Bytes(7, 0x3C))
                                          .chunk("PAD ", Bytes(100, 0))
                                          .chunk("data", samples)
                                          .chunk("id3 ", Bytes(10, 0))
                                          .data()));
  expectMatchesSndfile(wavFile);

  Bytes bigEndian;
  for (int32_t value : signal) {
    bigEndian.insert(bigEndian.end(), {uint8_t(value >> 24), uint8_t(value >> 16)});
  }
  const auto aiffFile = path("chunky.aiff");
  test::writeFile(aiffFile, test::form(ByteWriter(true)
                                           .chunk("ANNO", Bytes(5, 'a'))
                                           .chunk("COMM", test::commBody(2, kFrames, 16))
                                           .chunk("MARK", {0, 0})
                                           .chunk("SSND", test::ssndBody(0, bigEndian))
                                           .data()));
  expectMatchesSndfile(aiffFile);
}

// 32-bit integers, floats, more channels and other rates: refused once, now loaded sample for sample.
TEST_F(SndfileCompareTest, WiderFormatsRatesAndChannels) {
  expectMatchesSndfile(writeFixture("pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 2));
  expectMatchesSndfile(writeFixture("float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2));
  expectMatchesSndfile(writeFixture("double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1));
  expectMatchesSndfile(writeFixture("floatx.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 2));
  expectMatchesSndfile(writeFixture("pcm32x.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 4));
  expectMatchesSndfile(writeFixture("rate.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000), 48000);
  expectMatchesSndfile(writeFixture("three.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3));
  expectMatchesSndfile(writeFixture("pcm32.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 2));
  expectMatchesSndfile(writeFixture("rate.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 22050), 22050);
  // libsndfile names the float types "FL32" and "FL64".
  expectMatchesSndfile(writeFixture("float.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 1, 96000), 96000);
  expectMatchesSndfile(writeFixture("double.aifc", SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, 2, 8000), 8000);
}

TEST_F(SndfileCompareTest, RefusedEncodings) {
  EXPECT_EQ(readCode(writeFixture("ima.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1)), kStorageNotPcm);
  EXPECT_EQ(readCode(writeFixture("ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1)), kStorageNotPcm);
  EXPECT_EQ(readCode(writeFixture("raw.aifc", SF_FORMAT_AIFF | SF_FORMAT_PCM_U8, 2)), kStorageAifcCompressed);
  EXPECT_EQ(readCode(writeFixture("ima4.aifc", SF_FORMAT_AIFF | SF_FORMAT_IMA_ADPCM, 1)), kStorageAifcCompressed);
  // Little-endian 24 bit is written with the compression type "42n1", not "sowt".
  EXPECT_EQ(readCode(writeFixture("le24.aifc", SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, 1)),
            kStorageAifcCompressed);
  EXPECT_EQ(readCode(writeFixture("le32.aifc", SF_FORMAT_AIFF | SF_FORMAT_PCM_32 | SF_ENDIAN_LITTLE, 1)),
            kStorageAifcCompressed);
  EXPECT_EQ(readCode(writeFixture("rate.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 400000)), kStorageBadRate);
  EXPECT_EQ(readCode(writeFixture("rate.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 4000)), kStorageBadRate);
}

TEST_F(SndfileCompareTest, SoxConversions) {
  const auto source = writeFixture("sox-source.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2);
  const std::tuple<const char*, const char*, int> conversions[] = {
      {"-b 24", "sox24.wav", 44100},  // WAVE_FORMAT_EXTENSIBLE with a fact chunk
      {"-b 24 -c 1", "sox24m.wav", 44100},
      {"-b 8", "sox8.wav", 44100},
      {"-b 8", "sox8.aiff", 44100},  // COMT chunk before COMM
      {"-b 24 -c 1", "sox24m.aiff", 44100},
      {"", "sox16.aiff", 44100},
      {"-c 1", "sox16m.aifc", 44100},  // FVER, long COMM with "NONE"
      {"-b 24", "sox24.aifc", 44100},
      {"--comment tarnwick", "soxc.wav", 44100},
      {"-b 32", "sox32.wav", 44100},
      {"-e floating-point", "soxf.wav", 44100},  // format tag 3 with a fact chunk
      {"-e floating-point -b 64", "soxd.wav", 44100},
      {"-c 4", "sox4.wav", 44100},  // extensible
      {"-e floating-point", "soxf.aifc", 44100},
      {"-e floating-point -b 64 -c 4", "soxd4.aifc", 44100},
      {"-b 32", "sox32.aifc", 44100},
      {"-r 48000", "sox48k.wav", 48000},
      {"-r 22050", "sox22k.aiff", 22050},
  };
  for (const auto& [options, name, rate] : conversions) {
    if (!sox(source, options, path(name))) GTEST_SKIP() << "sox is not installed";
    expectMatchesSndfile(path(name), rate);
  }
}

TEST_F(SndfileCompareTest, SoxRefusals) {
  const auto source = writeFixture("sox-refusal.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2);
  const std::tuple<const char*, const char*, StorageResult> conversions[] = {
      {"-e ima-adpcm", "soxima.wav", kStorageNotPcm},
      {"-e u-law", "soxulaw.wav", kStorageNotPcm},
      {"-r 6000", "sox6k.wav", kStorageBadRate},
  };
  for (const auto& [options, name, code] : conversions) {
    if (!sox(source, options, path(name))) GTEST_SKIP() << "sox is not installed";
    EXPECT_EQ(readCode(path(name)), code) << name;
  }
}

}  // namespace
}  // namespace tarnwick
