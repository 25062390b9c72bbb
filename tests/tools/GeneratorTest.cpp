// The generated recording and demo phrase: identical on every run, and fit to show what grains do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "tools/gen/DemoMidi.h"
#include "tools/gen/Recording.h"
#include "tools/midi/MidiFile.h"

namespace tarnwick::gen {
namespace {

struct Pcm16Stereo {
  int sampleRate = 0, channels = 0, bits = 0;
  std::vector<int16_t> left, right;
};

uint32_t le32(const std::vector<uint8_t>& b, std::size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, std::size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// Walks the RIFF chunks as any reader would, rather than trusting a fixed header size.
bool decodeWav(const std::vector<uint8_t>& b, Pcm16Stereo& out) {
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
      std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
    return false;
  if (le32(b, 4) != b.size() - 8) return false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4));
    const uint32_t size = le32(b, at + 4);
    if (size > b.size() - at - 8) return false;
    if (id == "fmt ") {
      if (le16(b, at + 8) != 1) return false;
      out.channels = le16(b, at + 10);
      out.sampleRate = static_cast<int>(le32(b, at + 12));
      out.bits = le16(b, at + 22);
    } else if (id == "data" && out.channels == 2 && out.bits == 16) {
      for (std::size_t i = at + 8; i + 4 <= at + 8 + size; i += 4) {
        out.left.push_back(static_cast<int16_t>(le16(b, i)));
        out.right.push_back(static_cast<int16_t>(le16(b, i + 2)));
      }
      return true;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Spectral flatness (geometric over arithmetic mean of the power spectrum, 200 Hz to 16 kHz) of the averaged
// spectra of 1024-point Hann windows spread over a stretch of samples.
double spectralFlatness(const std::vector<int16_t>& x, std::size_t begin, std::size_t end) {
  constexpr int n = 1024, windows = 6, low = 5, high = 372;
  const double pi = std::acos(-1.0);
  std::vector<double> power(n / 2, 0.0);
  const std::size_t span = end - begin - n;
  for (int w = 0; w < windows; ++w) {
    const std::size_t start = begin + span * (w + 1) / (windows + 1);
    for (int k = low; k < high; ++k) {
      double re = 0.0, im = 0.0;
      for (int i = 0; i < n; ++i) {
        const double v = x[start + i] * (0.5 - 0.5 * std::cos(2.0 * pi * i / n));
        re += v * std::cos(2.0 * pi * k * i / n);
        im -= v * std::sin(2.0 * pi * k * i / n);
      }
      power[k] += re * re + im * im;
    }
  }
  double logSum = 0.0, sum = 0.0;
  for (int k = low; k < high; ++k) {
    logSum += std::log(power[k] + 1e-9);
    sum += power[k];
  }
  return std::exp(logSum / (high - low)) / (sum / (high - low));
}

class Recording : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bytes_ = recordingWav();
    ASSERT_TRUE(decodeWav(bytes_, pcm_));
  }
  static std::vector<uint8_t> bytes_;
  static Pcm16Stereo pcm_;
};
std::vector<uint8_t> Recording::bytes_;
Pcm16Stereo Recording::pcm_;

TEST_F(Recording, IsIdenticalOnEveryRunAndMatchesTheBuiltFile) {
  EXPECT_TRUE(recordingWav() == bytes_);
#ifdef TARNWICK_BUILT_RECORDING
  // Written by tarnwick-gen in another process during the build.
  const std::vector<uint8_t> built = readFile(TARNWICK_BUILT_RECORDING);
  ASSERT_FALSE(built.empty()) << TARNWICK_BUILT_RECORDING;
  EXPECT_TRUE(built == bytes_);
#endif
}

TEST_F(Recording, IsA44kStereo16BitFileOfSixToEightSeconds) {
  EXPECT_EQ(pcm_.sampleRate, 44100);
  EXPECT_EQ(pcm_.channels, 2);
  EXPECT_EQ(pcm_.bits, 16);
  const double seconds = pcm_.left.size() / 44100.0;
  EXPECT_GE(seconds, 6.0);
  EXPECT_LE(seconds, 8.0);
  const auto& sections = recordingSections();
  EXPECT_DOUBLE_EQ(sections.front().startSeconds, 0.0);
  EXPECT_NEAR(sections.back().endSeconds, seconds, 1.0 / 44100.0);
  for (std::size_t s = 1; s < sections.size(); ++s)
    EXPECT_DOUBLE_EQ(sections[s].startSeconds, sections[s - 1].endSeconds);
}

TEST_F(Recording, StaysBelowFullScaleAndUsesBothChannelsDifferently) {
  int peak = 0;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < pcm_.left.size(); ++i) {
    peak = std::max({peak, std::abs(int{pcm_.left[i]}), std::abs(int{pcm_.right[i]})});
    differing += pcm_.left[i] != pcm_.right[i];
  }
  EXPECT_LT(peak, 32767);      // nothing pinned at full scale
  EXPECT_GT(peak, 32767 / 2);  // but not timid either
  EXPECT_GT(differing, pcm_.left.size() / 2);
}

TEST_F(Recording, EverySectionSoundsAndNoisySectionsAreFlatterThanTonalOnes) {
  double quietestNoisy = 1.0, flattestTonal = 0.0;
  for (const RecordingSection& s : recordingSections()) {
    SCOPED_TRACE(s.name);
    const std::size_t begin = static_cast<std::size_t>(s.startSeconds * 44100),
                      end = static_cast<std::size_t>(s.endSeconds * 44100);
    double energy = 0.0;
    for (std::size_t i = begin; i < end; ++i) energy += static_cast<double>(pcm_.left[i]) * pcm_.left[i];
    const double rmsDb = 10.0 * std::log10(energy / (end - begin) / (32768.0 * 32768.0));
    EXPECT_GT(rmsDb, -30.0);
    const double flatness = std::min(spectralFlatness(pcm_.left, begin, end), spectralFlatness(pcm_.right, begin, end));
    std::printf("  %-7s rms %6.1f dBFS  flatness %.4f\n", s.name, rmsDb, flatness);
    if (s.noisy)
      quietestNoisy = std::min(quietestNoisy, flatness);
    else
      flattestTonal = std::max(flattestTonal, flatness);
  }
  EXPECT_GT(quietestNoisy, 10.0 * flattestTonal);
}

TEST(DemoMidi, IsIdenticalOnEveryRunAndMatchesTheBuiltFile) {
  EXPECT_TRUE(demoMidiFile() == demoMidiFile());
#ifdef TARNWICK_BUILT_DEMO_MIDI
  EXPECT_TRUE(readFile(TARNWICK_BUILT_DEMO_MIDI) == demoMidiFile());
#endif
}

TEST(DemoMidi, IsAPlayablePhraseForTheSixtyOneKeyMapping) {
  host::MidiSong song;
  std::string error;
  ASSERT_TRUE(host::parseMidiFile(demoMidiFile(), song, &error)) << error;
  EXPECT_EQ(song.format, 1);
  EXPECT_GE(song.trackCount, 2);
  ASSERT_GE(song.tempos.size(), 2u);
  for (const host::MidiTempoChange& t : song.tempos) {
    EXPECT_GE(t.bpm(), 100.0 - 1e-3);
    EXPECT_LE(t.bpm(), 120.0 + 1e-3);
  }
  ASSERT_FALSE(song.events.empty());
  EXPECT_GE(song.events.back().seconds, 15.0);
  EXPECT_LE(song.events.back().seconds, 25.0);

  std::map<int, int> sounding;  // per channel and key: note-ons minus note-offs
  std::map<uint64_t, int> onsPerTick;
  std::map<int, double> onAt;
  std::set<int> velocities;
  int zeroVelocityOffs = 0, explicitOffs = 0;
  double longest = 0.0;
  for (const host::MidiFileEvent& e : song.events) {
    const int kind = e.status & 0xF0, slot = (e.status & 0x0F) * 128 + e.data1;
    if (kind != 0x80 && kind != 0x90) continue;
    EXPECT_GE(e.data1, 36);
    EXPECT_LE(e.data1, 96);
    if (kind == 0x90 && e.data2 > 0) {
      EXPECT_EQ(sounding[slot]++, 0) << "overlapping notes on key " << int{e.data1};
      ++onsPerTick[e.tick];
      velocities.insert(e.data2);
      onAt[slot] = e.seconds;
    } else {
      EXPECT_EQ(sounding[slot]--, 1) << "note-off without note-on on key " << int{e.data1};
      longest = std::max(longest, e.seconds - onAt[slot]);
      (kind == 0x90 ? zeroVelocityOffs : explicitOffs)++;
    }
  }
  for (const auto& [slot, count] : sounding) EXPECT_EQ(count, 0) << "hanging note " << slot % 128;
  int chords = 0;
  for (const auto& [tick, count] : onsPerTick) chords += count >= 3;
  EXPECT_GE(chords, 2);
  EXPECT_GE(velocities.size(), 8u);
  EXPECT_GE(longest, 2.0);
  EXPECT_GT(zeroVelocityOffs, 0);
  EXPECT_GT(explicitOffs, 0);
}

}  // namespace
}  // namespace tarnwick::gen
