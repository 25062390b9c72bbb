// The render command's parts: argument parsing, the chunk's recording path, levels and the WAV output.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "tools/host/CommandLine.h"
#include "tools/host/RenderOptions.h"
#include "tools/host/RenderOutput.h"
#include "tools/host/SessionChunk.h"

namespace tarnwick::host {
namespace {

bool parse(std::vector<std::string> args, RenderOptions& options, std::string* error = nullptr) {
  return parseRenderOptions(args, options, error);
}

TEST(RenderOptions, ReadsEveryOptionAndKeepsParameterOrder) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--midi",       "a.mid",   "p.so",    "--out",   "o.wav",          "--sample", "s.wav",
                     "--chunk",      "c.bin",   "--tempo", "96.5",    "--block",        "64",       "--param",
                     "delay01=0.25", "--param", "266=3",   "--param", "mainLevl=-1e-3", "--format", "pcm24"},
                    o, &error))
      << error;
  EXPECT_EQ(o.pluginPath, "p.so");
  EXPECT_EQ(o.midiPath, "a.mid");
  EXPECT_EQ(o.outPath, "o.wav");
  EXPECT_EQ(o.samplePath.value_or(""), "s.wav");
  EXPECT_EQ(o.chunkPath.value_or(""), "c.bin");
  EXPECT_DOUBLE_EQ(o.tempo.value_or(0.0), 96.5);
  EXPECT_EQ(o.blockSize, 64);
  EXPECT_EQ(o.format, WavSampleFormat::pcm24);
  ASSERT_EQ(o.params.size(), 3u);
  EXPECT_FALSE(o.params[0].byIndex);
  EXPECT_EQ(o.params[0].name, "delay01");
  EXPECT_FLOAT_EQ(o.params[0].value, 0.25f);
  EXPECT_TRUE(o.params[1].byIndex);
  EXPECT_EQ(o.params[1].index, 266);
  EXPECT_FLOAT_EQ(o.params[1].value, 3.0f);
  EXPECT_FLOAT_EQ(o.params[2].value, -0.001f);
}

TEST(RenderOptions, DefaultsLeaveRecordingTempoAndChunkToTheRenderer) {
  RenderOptions o;
  ASSERT_TRUE(parse({"p.so", "--midi", "a.mid", "--out", "o.wav"}, o));
  EXPECT_FALSE(o.samplePath.has_value());
  EXPECT_FALSE(o.chunkPath.has_value());
  EXPECT_FALSE(o.tempo.has_value());
  EXPECT_EQ(o.blockSize, 512);
  EXPECT_EQ(o.format, WavSampleFormat::float32);
  ASSERT_TRUE(parse({"--help"}, o));
  EXPECT_TRUE(o.help);
}

TEST(RenderOptions, RefusesBadArgumentsWithAReason) {
  const std::vector<std::string> base = {"p.so", "--midi", "a.mid", "--out", "o.wav"};
  const std::vector<std::vector<std::string>> extras = {
      {"--block", "0"},
      {"--block", "65537"},
      {"--block", "12x"},
      {"--block", "-5"},
      {"--tempo", "0"},
      {"--tempo", "fast"},
      {"--tempo", "nan"},
      {"--tempo", "inf"},
      {"--param", "noequals"},
      {"--param", "=0.5"},
      {"--param", "mainLevl="},
      {"--param", "mainLevl=0.5x"},
      {"--param", "mainLevl=nan"},
      {"--param", "x=1e39"},
      {"--param", "99999999999=1"},
      {"--format", "mp3"},
      {"--bogus", "1"},
      {"second.so"},
      {"--midi"},
  };
  for (const auto& extra : extras) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(parse(args, o, &error)) << extra[0];
    EXPECT_FALSE(error.empty()) << extra[0];
  }
  RenderOptions o;
  std::string error;
  EXPECT_FALSE(parse({"--midi", "a.mid", "--out", "o.wav"}, o, &error));
  EXPECT_NE(error.find("plug-in"), std::string::npos);
  EXPECT_FALSE(parse({"p.so", "--out", "o.wav"}, o, &error));
  EXPECT_NE(error.find("--midi"), std::string::npos);
  EXPECT_FALSE(parse({"p.so", "--midi", "a.mid"}, o, &error));
  EXPECT_NE(error.find("--out"), std::string::npos);
}

TEST(CommandLine, ValuesAfterEqualsOrSpaceDashesEndOptionsAndNearMissesAreNamed) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--midi=a=b.mid", "--out", "o.wav", "--param=MainLevl=0.5", "--", "-odd.so"}, o, &error)) << error;
  EXPECT_EQ(o.midiPath, "a=b.mid");
  EXPECT_EQ(o.pluginPath, "-odd.so");
  ASSERT_EQ(o.params.size(), 1u);
  EXPECT_EQ(o.params[0].name, "MainLevl");
  EXPECT_FALSE(parse({"p.so", "--midi", "a.mid", "--out", "o.wav", "--sampel", "s.wav"}, o, &error));
  EXPECT_EQ(error, "unknown option --sampel (did you mean --sample?)");
  EXPECT_EQ(closestName("MAINLEVEL", {"mainLevl", "release"}), "mainLevl");
  EXPECT_EQ(closestName("volume", {"mainLevl", "release"}), "");
  CommandLine line;
  const OptionRule flags[] = {{"--quiet", false}};
  EXPECT_FALSE(parseCommandLine({"--quiet=1"}, flags, line, &error));
  EXPECT_TRUE(parseCommandLine({"x", "--quiet", "-h"}, flags, line, &error));
  EXPECT_TRUE(line.help);
  EXPECT_EQ(line.options.size(), 1u);
}

TEST(SessionChunk, PathReplacesTheWholeFieldAndNothingElse) {
  std::vector<uint8_t> chunk(38168, 0xAA);
  std::string error;
  ASSERT_TRUE(writeChunkPath(chunk, "/tmp/a.wav", &error)) << error;
  EXPECT_EQ(chunkPath(chunk), "/tmp/a.wav");
  for (std::size_t i = 10; i < kChunkPathField; ++i) ASSERT_EQ(chunk[i], 0) << i;
  for (std::size_t i = kChunkPathField; i < chunk.size(); ++i) ASSERT_EQ(chunk[i], 0xAA) << i;

  ASSERT_TRUE(writeChunkPath(chunk, std::string(1023, 'p'), &error));
  EXPECT_EQ(chunkPath(chunk).size(), 1023u);
  const std::vector<uint8_t> before = chunk;
  EXPECT_FALSE(writeChunkPath(chunk, std::string(1024, 'p'), &error));
  EXPECT_FALSE(writeChunkPath(chunk, "", &error));
  EXPECT_FALSE(writeChunkPath(chunk, std::string("a\0b", 3), &error));
  EXPECT_EQ(chunk, before);
}

TEST(SessionChunk, ShortChunksAreRefusedAndUnterminatedPathsStopAtTheField) {
  std::vector<uint8_t> small(2047, 0);
  std::string error;
  EXPECT_FALSE(writeChunkPath(small, "/a.wav", &error));
  EXPECT_NE(error.find("2047"), std::string::npos);
  EXPECT_EQ(small, std::vector<uint8_t>(2047, 0));

  EXPECT_EQ(chunkPath(std::vector<uint8_t>(3000, 'x')).size(), kChunkPathField);
  EXPECT_EQ(chunkPath({'a', 'b'}), "ab");
  EXPECT_EQ(chunkPath({}), "");
}

TEST(Levels, PeakRmsAndNonFiniteSamples) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const LevelStats s = measureLevels({0.5f, -0.5f, 0.5f, nan}, {-0.5f, 0.5f, -1.0f, 0.5f});
  EXPECT_DOUBLE_EQ(s.peak, 1.0);
  EXPECT_NEAR(s.peakDb, 0.0, 1e-12);
  EXPECT_NEAR(s.rmsDb, 10.0 * std::log10((6 * 0.25 + 1.0) / 7.0), 1e-9);
  EXPECT_EQ(s.nonFinite, 1);
  EXPECT_EQ(measureLevels({1.0f, -1.5f, 2.0f}, {-1.0f, 0.5f, 1.0001f}).clipped, 3);

  const LevelStats half = measureLevels(std::vector<float>(100, 0.5f), std::vector<float>(100, -0.5f));
  EXPECT_NEAR(half.peakDb, -6.0206, 1e-4);
  EXPECT_NEAR(half.rmsDb, -6.0206, 1e-4);

  const LevelStats silent = measureLevels(std::vector<float>(10, 0.0f), std::vector<float>(10, 0.0f));
  EXPECT_EQ(silent.peak, 0.0);
  EXPECT_LT(silent.peakDb, -1000.0);
  EXPECT_LT(silent.rmsDb, -1000.0);
}

std::vector<float> readBack(const std::string& path, SF_INFO& info) {
  info = SF_INFO{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_NE(f, nullptr);
  if (!f) return {};
  std::vector<float> data(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_float(f, data.data(), info.frames);
  sf_close(f);
  return data;
}

TEST(WavOutput, FloatKeepsValuesBeyondFullScaleAndIntegersClip) {
  const std::string dir = ::testing::TempDir();
  const std::vector<float> left = {0.0f, 1.5f, -0.25f}, right = {0.125f, -2.0f, 0.5f};
  std::string error;
  ASSERT_TRUE(writeStereoWav(dir + "render-float.wav", left, right, 44100, WavSampleFormat::float32, &error)) << error;
  SF_INFO info;
  std::vector<float> data = readBack(dir + "render-float.wav", info);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.samplerate, 44100);
  EXPECT_EQ(info.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);  // tag 0xFFFE, IEEE float sub-format
  EXPECT_EQ(data, (std::vector<float>{0.0f, 0.125f, 1.5f, -2.0f, -0.25f, 0.5f}));

  ASSERT_TRUE(writeStereoWav(dir + "render-24.wav", left, right, 44100, WavSampleFormat::pcm24, &error)) << error;
  data = readBack(dir + "render-24.wav", info);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  ASSERT_EQ(data.size(), 6u);
  EXPECT_NEAR(data[2], 1.0f, 1e-6f);
  EXPECT_NEAR(data[3], -1.0f, 1e-6f);
  EXPECT_NEAR(data[4], -0.25f, 1e-6f);

  EXPECT_FALSE(writeStereoWav(dir + "no/such/folder/x.wav", left, right, 44100, WavSampleFormat::float32, &error));
  EXPECT_FALSE(error.empty());
  std::filesystem::remove(dir + "render-float.wav");
  std::filesystem::remove(dir + "render-24.wav");
}

}  // namespace
}  // namespace tarnwick::host
