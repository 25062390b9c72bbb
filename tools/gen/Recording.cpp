// Assembles the default recording from its sections and encodes it.
#include "tools/gen/Recording.h"

#include <algorithm>
#include <cmath>

#include "tools/gen/RecordingParts.h"
#include "tools/gen/WavWriter.h"

namespace tarnwick::gen {
namespace {

// Scales a section to a target peak and fades its edges so that neighbouring sections join without clicks.
void normalise(StereoBuffer& part, double targetPeak) {
  double peak = 0.0;
  for (std::size_t i = 0; i < part.frames(); ++i)
    peak =
        std::max({peak, std::fabs(static_cast<double>(part.left[i])), std::fabs(static_cast<double>(part.right[i]))});
  const double gain = peak > 0.0 ? targetPeak / peak : 0.0;
  const std::size_t fade = std::min<std::size_t>(220, part.frames() / 2);
  for (std::size_t i = 0; i < part.frames(); ++i) {
    double g = gain;
    if (i < fade) g *= static_cast<double>(i) / fade;
    if (part.frames() - 1 - i < fade) g *= static_cast<double>(part.frames() - 1 - i) / fade;
    part.left[i] = static_cast<float>(part.left[i] * g);
    part.right[i] = static_cast<float>(part.right[i] * g);
  }
}

int framesOf(const RecordingSection& s) {
  return static_cast<int>(std::lround(s.endSeconds * kRecordingSampleRate)) -
         static_cast<int>(std::lround(s.startSeconds * kRecordingSampleRate));
}

}  // namespace

const std::vector<RecordingSection>& recordingSections() {
  static const std::vector<RecordingSection> sections = {
      {"bells", 0.0, 1.8, false}, {"chord", 1.8, 3.2, false},  {"noise", 3.2, 4.6, true},
      {"drums", 4.6, 5.6, true},  {"vowels", 5.6, 7.2, false},
  };
  return sections;
}

StereoBuffer synthesizeRecording() {
  const auto& sections = recordingSections();
  Prng rng(0x7A12'5EEDull);
  StereoBuffer parts[5] = {
      renderBells(framesOf(sections[0]), rng),  renderChord(framesOf(sections[1])),
      renderNoise(framesOf(sections[2]), rng),  renderPercussion(framesOf(sections[3]), rng),
      renderVowels(framesOf(sections[4]), rng),
  };
  static constexpr double kPeaks[5] = {0.8, 0.6, 0.7, 0.89, 0.65};
  StereoBuffer out;
  for (int s = 0; s < 5; ++s) {
    normalise(parts[s], kPeaks[s]);
    out.left.insert(out.left.end(), parts[s].left.begin(), parts[s].left.end());
    out.right.insert(out.right.end(), parts[s].right.begin(), parts[s].right.end());
  }
  return out;
}

std::vector<uint8_t> recordingWav() {
  const StereoBuffer audio = synthesizeRecording();
  return encodeWav16(audio.left, audio.right, kRecordingSampleRate);
}

}  // namespace tarnwick::gen
