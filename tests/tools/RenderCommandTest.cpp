// `tarnwick-host render` end to end: the built plug-in plays the demo phrase over the generated recording.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "tests/tools/MidiBytes.h"
#include "tools/host/Commands.h"
#include "tools/host/SessionChunk.h"
#include "tools/hostlib/PluginHost.h"

#ifndef TARNWICK_PLUGIN_PATH
#define TARNWICK_PLUGIN_PATH ""
#endif

namespace tarnwick::host {
namespace {

const std::string kPlugin = TARNWICK_PLUGIN_PATH;
const std::string kDemo = TARNWICK_BUILT_DEMO_MIDI;
const std::string kRecording = TARNWICK_BUILT_RECORDING;

struct RunResult {
  int code;
  std::string out, err;
};

RunResult run(std::vector<std::string> args, int (*command)(int, char**) = &runRender) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int code = command(static_cast<int>(argv.size()), argv.data());
  std::string out = ::testing::internal::GetCapturedStdout();
  return {code, out, ::testing::internal::GetCapturedStderr()};
}

struct Wav {
  SF_INFO info{};
  std::vector<float> samples;  // interleaved
};

Wav readWav(const std::string& path) {
  Wav w;
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &w.info);
  if (!f) return w;
  w.samples.resize(static_cast<std::size_t>(w.info.frames * w.info.channels));
  sf_readf_float(f, w.samples.data(), w.info.frames);
  sf_close(f);
  return w;
}

double peakOf(const Wav& w) {
  double peak = 0.0;
  for (float x : w.samples) peak = std::max(peak, static_cast<double>(std::fabs(x)));
  return peak;
}

class RenderCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "tarnwick-render-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           "/";
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void requirePlugin() {
    if (kPlugin.empty() || !std::filesystem::exists(kPlugin)) GTEST_SKIP() << "the plug-in is not built";
  }
  std::string dir_;
};

TEST_F(RenderCommand, BadArgumentsUnreadableMidiAndMissingPluginHaveTheirExitCodes) {
  EXPECT_EQ(run({}).code, 2);
  EXPECT_EQ(run({"p.so", "--midi", kDemo}).code, 2);
  EXPECT_EQ(run({"p.so", "--midi", dir_ + "none.mid", "--out", dir_ + "o.wav"}).code, 3);
  EXPECT_EQ(run({"p.so", "--midi", kRecording, "--out", dir_ + "o.wav"}).code, 3);  // not a MIDI file
  EXPECT_EQ(run({dir_ + "none.so", "--midi", kDemo, "--out", dir_ + "o.wav"}).code, 4);
  EXPECT_EQ(run({"p.so", "--midi", kDemo, "--out", dir_ + "no/such/dir/o.wav"}).code, 5);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "o.wav"));
}

TEST_F(RenderCommand, RendersTheDemoOverTheDefaultRecording) {
  requirePlugin();
  const RunResult r = run({kPlugin, "--midi", kDemo, "--out", dir_ + "demo.wav"});
  ASSERT_EQ(r.code, 0);
  for (const char* word : {"peak", "dBFS", "rms", "realtime"}) EXPECT_NE(r.out.find(word), std::string::npos) << word;

  const Wav w = readWav(dir_ + "demo.wav");
  EXPECT_EQ(w.info.channels, 2);
  EXPECT_EQ(w.info.samplerate, 44100);
  const double seconds = static_cast<double>(w.info.frames) / 44100.0;
  EXPECT_GE(seconds, 17.0);  // the phrase's last note-off is at 17.2 s
  EXPECT_LE(seconds, 17.3 + 10.0);
  for (float x : w.samples) ASSERT_TRUE(std::isfinite(x));
  EXPECT_GT(peakOf(w), 0.01);
  std::size_t differing = 0;
  for (std::size_t i = 0; i + 1 < w.samples.size(); i += 2) differing += w.samples[i] != w.samples[i + 1];
  EXPECT_GT(differing, w.samples.size() / 8);  // the recording is stereo, so is the result

  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "again.wav"}).code, 0);
  EXPECT_EQ(readWav(dir_ + "again.wav").samples, w.samples);
}

TEST_F(RenderCommand, ParametersByNameAndByInternalIndexChangeTheResult) {
  requirePlugin();
  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "plain.wav"}).code, 0);
  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "level.wav", "--param", "mainLevl=0.25"}).code, 0);
  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "keys.wav", "--param", "266=6"}).code, 0);
  const double plain = peakOf(readWav(dir_ + "plain.wav"));
  // mainLevl 0.5 gives gain 0.5, 0.25 gives 0.125: a quarter of the level.
  EXPECT_NEAR(peakOf(readWav(dir_ + "level.wav")), plain / 4.0, plain * 1e-5);
  EXPECT_NE(readWav(dir_ + "keys.wav").samples, readWav(dir_ + "plain.wav").samples);
  EXPECT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "x.wav", "--param", "noSuchP=1"}).code, 2);
}

TEST_F(RenderCommand, ChunkFileKeepsItsOwnRecordingUnlessSampleIsGiven) {
  requirePlugin();
  std::vector<uint8_t> fresh;
  {
    std::string error;
    std::unique_ptr<PluginHost> host = PluginHost::load(kPlugin, &error);
    ASSERT_TRUE(host) << error;
    fresh = host->getChunk(false);
  }
  ASSERT_GE(fresh.size(), kChunkPathField);
  ASSERT_EQ(chunkPath(fresh), "");  // a fresh instance has no recording
  std::vector<uint8_t> withPath = fresh;
  ASSERT_TRUE(writeChunkPath(withPath, std::filesystem::absolute(kRecording).string(), nullptr));
  auto save = [](const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  save(dir_ + "empty.chunk", fresh);
  save(dir_ + "path.chunk", withPath);
  save(dir_ + "short.chunk", std::vector<uint8_t>(100, 0));

  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "own.wav", "--chunk", dir_ + "path.chunk"}).code, 0);
  EXPECT_GT(peakOf(readWav(dir_ + "own.wav")), 0.01);
  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "none.wav", "--chunk", dir_ + "empty.chunk"}).code, 0);
  EXPECT_EQ(peakOf(readWav(dir_ + "none.wav")), 0.0);  // no path, nothing to play
  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "given.wav", "--chunk", dir_ + "empty.chunk", "--sample",
                 kRecording})
                .code,
            0);
  EXPECT_EQ(readWav(dir_ + "given.wav").samples, readWav(dir_ + "own.wav").samples);
  EXPECT_EQ(
      run({kPlugin, "--midi", kDemo, "--out", dir_ + "x.wav", "--chunk", dir_ + "short.chunk", "--sample", kRecording})
          .code,
      3);
  EXPECT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "x.wav", "--chunk", dir_ + "missing.chunk"}).code, 3);
}

// Inputs that would block the open (a FIFO) or never end (a song of years) are refused up front.
TEST_F(RenderCommand, FifosRecordingsThatDoNotLoadAndEndlessSongsAreUnusableInput) {
  requirePlugin();
  const std::string fifo = dir_ + "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = dir_ + "o.wav";
  for (const char* option : {"--midi", "--sample", "--chunk"}) {
    std::vector<std::string> args = {kPlugin, "--midi", kDemo, "--out", out};
    args.insert(args.end(), {option, fifo});
    const RunResult r = run(args);
    EXPECT_EQ(r.code, 3) << option;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  // A file that is no recording: the plug-in's reason.
  const RunResult bad = run({kPlugin, "--midi", kDemo, "--out", out, "--sample", kDemo});
  EXPECT_EQ(bad.code, 3);
  EXPECT_NE(bad.err.find("cannot be loaded: Unknown File Format"), std::string::npos) << bad.err;
  // A note-off 0x0FFFFFFF ticks away at the slowest tempo: 44 bytes, years of song.
  test::Bytes body = {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 60, 100};
  test::append(body, test::vlq(0x0FFFFFFF));
  test::append(body, {0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
  test::Bytes file = test::header(0, 1, 1);
  test::append(file, test::track(body));
  std::ofstream(dir_ + "long.mid", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  const RunResult r = run({kPlugin, "--midi", dir_ + "long.mid", "--out", out});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("at most an hour"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));

  // A recording whose path is longer than a session can carry (1024 characters here).
  std::string deep = dir_ + "deep";
  while (deep.size() + 201 < 1000) deep += "/" + std::string(200, 'p');
  std::filesystem::create_directories(deep);
  const std::string sample = deep + "/" + std::string(1024 - deep.size() - 1, 's');
  ASSERT_EQ(sample.size(), 1024u);
  std::filesystem::copy_file(kRecording, sample);
  const RunResult longPath = run({kPlugin, "--midi", kDemo, "--out", out, "--sample", sample});
  EXPECT_EQ(longPath.code, 3);
  EXPECT_NE(longPath.err.find("longer than 1023 characters"), std::string::npos) << longPath.err;
}

TEST_F(RenderCommand, OptionsByNameInAnyCaseAreCheckedAndTheStateCanBeWrittenAndReused) {
  requirePlugin();
  RunResult r = run({kPlugin, "--midi", kDemo, "--out", dir_ + "x.wav", "--param", "keymapping=7"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("keyMapping takes 0..6"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("see 'tarnwick-host help render'"), std::string::npos) << r.err;
  r = run({kPlugin, "--midi", kDemo, "--out", dir_ + "x.wav", "--param", "MAINLEVL=1.5"});
  EXPECT_NE(r.err.find("host parameters take 0..1"), std::string::npos) << r.err;
  r = run({kPlugin, "--midi", kDemo, "--out", dir_ + "x.wav", "--param", "relase=0.5"});
  EXPECT_NE(r.err.find("did you mean release?"), std::string::npos) << r.err;

  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "set.wav", "--param", "KeyMapping=6", "--param",
                 "mainlevl=0.3", "--chunk-out", dir_ + "state.chunk"})
                .code,
            0);
  ASSERT_EQ(run({kPlugin, "--midi", kDemo, "--out", dir_ + "reused.wav", "--chunk", dir_ + "state.chunk"}).code, 0);
  EXPECT_EQ(readWav(dir_ + "reused.wav").samples, readWav(dir_ + "set.wav").samples);

  r = run({kPlugin}, &runInfo);
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("    266  keyMapping      3"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("* 3 61 keys - map from C1 to C6"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tarnwick::host
