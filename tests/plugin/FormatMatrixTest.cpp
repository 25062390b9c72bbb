// Recordings of every readable format, channel count and rate restored through a state chunk that
// names them, as a host restores a session: each arrives at the instance's rate, compared with
// libsoxr's conversion of the same signal.
#include <sndfile.h>
#include <soxr.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "plugin/aPlug.h"
#include "storage/AudioFileReader.h"
#include "storage/ChunkRecord.h"
#include "tests/plugin/TestSupport.h"

namespace {

using tarnwick::aPlug;
using tarnwick::test::InProcessHost;

constexpr double kLevel = 0.5;

// Channel c of frame i: two sines well inside every passband, faded in and out over 20 ms so that
// the two filters' different ringing at a hard edge does not count; further channels are noise.
double signal(int c, int64_t i, int64_t frames, int rate) {
  const double fade = std::min({1.0, double(i) / (0.02 * rate), double(frames - 1 - i) / (0.02 * rate)});
  const double envelope = kLevel * std::sin(M_PI / 2 * fade);
  if (c == 0) return envelope * std::sin(2 * M_PI * 1000.0 * double(i) / rate);
  if (c == 1) return envelope * std::sin(2 * M_PI * 2500.0 * double(i) / rate + 1.0);
  return kLevel * std::sin(double(i) * 1.7 + c);  // loud and wide-band: taking it would show
}

std::vector<float> interleaved(int channels, int64_t frames, int rate) {
  std::vector<float> samples(size_t(frames * channels));
  for (int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) samples[size_t(i * channels + c)] = float(signal(c, i, frames, rate));
  }
  return samples;
}

bool writeWithSndfile(const std::string& path, int format, int channels, int rate, int64_t frames) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const auto samples = interleaved(channels, frames, rate);
  const bool written = sf_writef_float(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && written;
}

// AIFC types that libsndfile does not write (or names otherwise), built by hand: 16-bit "sowt",
// 32-bit "in32" and "fl32", 64-bit "fl64".
bool writeAifc(const std::string& path, const std::string& type, int channels, int rate, int64_t frames) {
  std::vector<uint8_t> data;
  const auto put = [&](uint64_t v, int bytes, bool little = false) {
    for (int k = 0; k < bytes; ++k) data.push_back(uint8_t(v >> (8 * (little ? k : bytes - 1 - k))));
  };
  const int bytes = type == "fl64" ? 8 : type == "sowt" ? 2 : 4;
  const auto samples = interleaved(channels, frames, rate);
  const uint64_t sound = uint64_t(samples.size()) * uint64_t(bytes);
  int exponent = 0;
  const double mantissa = std::frexp(double(rate), &exponent);
  data.insert(data.end(), {'F', 'O', 'R', 'M'});
  put(52 + sound, 4);
  data.insert(data.end(), {'A', 'I', 'F', 'C', 'C', 'O', 'M', 'M'});
  put(24, 4), put(uint64_t(channels), 2), put(uint64_t(frames), 4), put(uint64_t(bytes * 8), 2);
  put(uint64_t(exponent - 1 + 16383), 2), put(uint64_t(std::ldexp(mantissa, 64)), 8);
  data.insert(data.end(), type.begin(), type.end());
  put(0, 2);  // an empty name, padded
  data.insert(data.end(), {'S', 'S', 'N', 'D'});
  put(8 + sound, 4), put(0, 8);
  for (float v : samples) {
    if (type == "sowt") put(uint16_t(int16_t(std::lround(double(v) * 32767))), 2, true);
    if (type == "in32") put(uint32_t(int32_t(std::lround(double(v) * 2147483647.0))), 4);
    if (type == "fl32") put(std::bit_cast<uint32_t>(v), 4);
    if (type == "fl64") put(std::bit_cast<uint64_t>(double(v)), 8);
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(out);
}

// An instance at the given rate that restored a chunk naming path.
std::unique_ptr<aPlug> restoredAt(float rate, const std::string& path) {
  auto plug = std::make_unique<aPlug>(&InProcessHost::callback);
  plug->dispatcher(effSetSampleRate, 0, 0, nullptr, rate);
  plug->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  void* data = nullptr;
  const int32_t size = plug->getChunk(&data);
  std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  std::memset(chunk.data() + tarnwick::chunk::kPath, 0, tarnwick::chunk::kPathBytes);
  std::memcpy(chunk.data() + tarnwick::chunk::kPath, path.data(), path.size());
  plug->setChunk(chunk.data(), intptr_t(chunk.size()));
  return plug;
}

// libsoxr's high-quality conversion of the first two channels of the signal itself.
std::vector<std::vector<float>> reference(int rate, int outRate, int64_t frames, size_t outFrames) {
  std::vector<std::vector<float>> in(2, std::vector<float>(size_t(frames)));
  for (int c = 0; c < 2; ++c) {
    for (int64_t i = 0; i < frames; ++i) in[size_t(c)][size_t(i)] = float(signal(c, i, frames, rate));
  }
  std::vector<std::vector<float>> out(2, std::vector<float>(outFrames));
  const float* inputs[2] = {in[0].data(), in[1].data()};
  float* outputs[2] = {out[0].data(), out[1].data()};
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_S, SOXR_FLOAT32_S);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
  size_t done = 0;
  EXPECT_EQ(soxr_oneshot(rate, outRate, 2, inputs, size_t(frames), nullptr, outputs, outFrames, &done, &io, &quality,
                         &runtime),
            nullptr);
  EXPECT_EQ(done, outFrames);
  return out;
}

struct Case {
  std::string name;  // an AIFC type written by hand, or a file name written by libsndfile
  int format;
  int bits;  // 0 for floats
  int rate = 48000;
  int channels = 2;
};

TEST(FormatMatrixTest, EveryFormatChannelCountAndRateArrivesAtTheWorkingRate) {
  std::vector<Case> cases = {
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8},
      {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16},
      {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 24},
      {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 32},
      {"f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0},
      {"f64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 0},
      {"x24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 24},
      {"xf32.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 0},
      {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 16},
      {"s24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 24},
      {"sowt", 0, 16},
      {"fl32", 0, 0},
      {"fl64", 0, 0},
      {"in32", 0, 32},
      {"m16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16, 48000, 1},
      {"q24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 24, 48000, 4},
      {"fl32", 0, 0, 48000, 4},
      {"mf32.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 0, 48000, 1},
      {"m24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 24, 96000, 1},
  };
  for (int rate : {8000, 11025, 16000, 22050, 32000, 88200, 96000, 176400, 192000, 384000}) {
    cases.push_back({"f32-" + std::to_string(rate) + ".wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, rate});
  }
  for (const Case& c : cases) {
    for (float working : {44100.0f, 48000.0f}) {
      if (c.rate == int(working)) continue;
      SCOPED_TRACE(c.name + " " + std::to_string(c.channels) + " at " + std::to_string(int(working)));
      const std::string path = ::testing::TempDir() + "matrix-" + std::to_string(c.channels) + c.name;
      const auto frames = int64_t(c.rate) * 3 / 10;
      ASSERT_TRUE(c.format == 0 ? writeAifc(path, c.name, c.channels, c.rate, frames)
                                : writeWithSndfile(path, c.format, c.channels, c.rate, frames));
      const auto plug = restoredAt(working, path);
      const auto& buffer = plug->core().modelState().buffer;
      const auto expectedFrames = size_t((2 * frames * int64_t(working) + c.rate) / (2 * c.rate));
      ASSERT_EQ(size_t(buffer.frameCount), expectedFrames);
      EXPECT_EQ(buffer.left[buffer.frameCount], 0.0f);
      EXPECT_EQ(buffer.right[buffer.frameCount], 0.0f);
      // Flat to 0.1 dB against the reference's own (flatter) passband, the stopband's floor, and
      // twice the format's rounding step, which the filter spreads over its taps.
      const double quantum = c.bits == 0 ? 0.0 : std::ldexp(1.0, 1 - c.bits);
      const double tolerance = kLevel * (std::pow(10.0, 0.1 / 20) - 1) + 1e-5 + 2 * quantum;
      const auto expected = reference(c.rate, int(working), frames, expectedFrames);
      double worst = 0;
      for (size_t i = 0; i < expectedFrames; ++i) {
        worst = std::max({worst, std::fabs(double(buffer.left[i]) - expected[0][i]),
                          std::fabs(double(buffer.right[i]) - expected[c.channels == 1 ? 0 : 1][i])});
      }
      EXPECT_LE(worst, tolerance);
    }
  }
}

// A 48 kHz sine in a 44.1 kHz instance and the other way round: the loaded buffer holds the same
// duration at the instance's rate, so its period in samples is the instance's; a recording at the
// instance's rate arrives exactly as the file holds it.
TEST(FormatMatrixTest, RecordingsPlayAtTruePitchAndMatchingRatesStayExact) {
  for (const auto& [fileRate, working] : {std::pair{48000, 44100.0f}, std::pair{44100, 48000.0f}}) {
    SCOPED_TRACE(fileRate);
    const std::string path = ::testing::TempDir() + "pitch-" + std::to_string(fileRate) + ".wav";
    ASSERT_TRUE(writeWithSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, fileRate, fileRate));
    const auto plug = restoredAt(working, path);
    const auto& buffer = plug->core().modelState().buffer;
    ASSERT_EQ(buffer.frameCount, int32_t(working));
    // Upward zero crossings of the 1 kHz left channel, away from the fades: one per working-rate
    // period of 1 kHz.
    std::vector<double> crossings;
    for (int32_t i = int32_t(working) / 10; i < int32_t(working) * 9 / 10; ++i) {
      if (buffer.left[i - 1] < 0.0f && buffer.left[i] >= 0.0f) {
        crossings.push_back(i - 1 + buffer.left[i - 1] / (buffer.left[i - 1] - buffer.left[i]));
      }
    }
    ASSERT_GT(crossings.size(), 700u);
    const double period = (crossings.back() - crossings.front()) / double(crossings.size() - 1);
    EXPECT_NEAR(period, working / 1000.0, 1e-4);

    const auto same = restoredAt(float(fileRate), path);
    tarnwick::ChannelPair direct;
    ASSERT_EQ(tarnwick::readAudioFile(path.c_str(), direct), tarnwick::kStorageOk);
    const auto& exact = same->core().modelState().buffer;
    ASSERT_EQ(exact.frameCount, direct.frameCount);
    EXPECT_EQ(std::memcmp(exact.left, direct.left.get(), size_t(direct.frameCount + 1) * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(exact.right, direct.right.get(), size_t(direct.frameCount + 1) * sizeof(float)), 0);
  }
}

// A host that changes its rate (set the rate, then resume) hears a recording from a file read again at
// the new rate; a recording that came from a bank plays as stored.
TEST(FormatMatrixTest, ARateChangeReadsTheFileAgainAndKeepsABanksRecording) {
  const std::string path = ::testing::TempDir() + "rate-change.wav";
  ASSERT_TRUE(writeWithSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000, 4800));
  const auto plug = restoredAt(44100.0f, path);
  ASSERT_EQ(plug->core().modelState().buffer.frameCount, 4410);
  const auto changeRate = [&](float rate) {
    plug->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
    plug->dispatcher(effSetSampleRate, 0, 0, nullptr, rate);
    plug->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  };
  changeRate(48000.0f);
  EXPECT_EQ(plug->core().modelState().buffer.frameCount, 4800);  // now as the file holds it
  changeRate(96000.0f);
  EXPECT_EQ(plug->core().modelState().buffer.frameCount, 9600);

  const std::string bank = ::testing::TempDir() + "rate-change-" + std::to_string(::getpid()) + ".vlb";
  std::remove(bank.c_str());  // a new file: no overwrite question
  ASSERT_EQ(plug->core().saveBank(bank.c_str()), tarnwick::kStorageOk);
  const auto other = restoredAt(44100.0f, path);
  ASSERT_EQ(other->core().loadBank(bank.c_str()), tarnwick::kStorageOk);
  ASSERT_EQ(other->core().modelState().buffer.frameCount, 9600);
  other->dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  other->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(other->core().modelState().buffer.frameCount, 9600);
  std::remove(bank.c_str());
}

// A rate change whose file cannot be read again (deleted, or a restored session named a file that was
// refused) converts the recording in memory, so that it keeps its pitch.
TEST(FormatMatrixTest, ARateChangeWithoutTheFileConvertsTheRecordingInMemory) {
  const std::string path = ::testing::TempDir() + "rate-change-gone.wav";
  ASSERT_TRUE(writeWithSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 44100, 44100));
  const auto plug = restoredAt(44100.0f, path);
  ASSERT_EQ(plug->core().modelState().buffer.frameCount, 44100);
  std::remove(path.c_str());
  const auto changeRate = [&](float rate) {
    plug->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
    plug->dispatcher(effSetSampleRate, 0, 0, nullptr, rate);
    plug->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  };
  changeRate(48000.0f);
  const auto& buffer = plug->core().modelState().buffer;
  ASSERT_EQ(buffer.frameCount, 48000);
  // The 1 kHz left channel: one upward zero crossing per 48 frames, away from the fades.
  std::vector<double> crossings;
  for (int32_t i = 4800; i < 43200; ++i) {
    if (buffer.left[i - 1] < 0.0f && buffer.left[i] >= 0.0f)
      crossings.push_back(i - 1 + buffer.left[i - 1] / (buffer.left[i - 1] - buffer.left[i]));
  }
  ASSERT_GT(crossings.size(), 700u);
  EXPECT_NEAR((crossings.back() - crossings.front()) / double(crossings.size() - 1), 48.0, 1e-3);

  // A session that names a file that is refused keeps the recording; a rate change converts it too.
  const std::string refused = ::testing::TempDir() + "rate-change-refused.wav";
  std::ofstream(refused) << "RIFF but nothing else";
  void* data = nullptr;
  const int32_t size = plug->getChunk(&data);
  std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  std::memset(chunk.data() + tarnwick::chunk::kPath, 0, tarnwick::chunk::kPathBytes);
  std::memcpy(chunk.data() + tarnwick::chunk::kPath, refused.data(), refused.size());
  plug->setChunk(chunk.data(), intptr_t(chunk.size()));
  ASSERT_EQ(plug->core().modelState().buffer.frameCount, 48000);
  changeRate(96000.0f);
  EXPECT_EQ(plug->core().modelState().buffer.frameCount, 96000);
  std::remove(refused.c_str());
}

// An absurd host rate (1 Hz, 997 Hz) converts a recording for the nearest rate of the conversion band,
// with a filter of bounded size, and a change between two such rates reads nothing again.
TEST(FormatMatrixTest, AnAbsurdHostRateConvertsForTheNearestRateOfTheBand) {
  const std::string path = ::testing::TempDir() + "absurd-rate.wav";
  ASSERT_TRUE(writeWithSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 384000, 38400));
  const auto plug = restoredAt(997.0f, path);
  ASSERT_EQ(plug->core().modelState().buffer.frameCount, 800);  // 0.1 s at 8 kHz
  const float* before = plug->core().modelState().buffer.left;
  plug->dispatcher(effSetSampleRate, 0, 0, nullptr, 1.0f);
  plug->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(plug->core().modelState().buffer.frameCount, 800);
  EXPECT_EQ(plug->core().modelState().buffer.left, before);
}

}  // namespace
