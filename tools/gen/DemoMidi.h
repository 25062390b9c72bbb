// The project's demo phrase as a standard MIDI file (format 1, tempo track plus two note tracks).
#pragma once

#include <cstdint>
#include <vector>

namespace tarnwick::gen {

inline constexpr int kDemoTicksPerQuarter = 480;

// About 17 s: 4 bars at 108 BPM, then 4 bars at 116 BPM; keys 36..96.
std::vector<uint8_t> demoMidiFile();

}  // namespace tarnwick::gen
