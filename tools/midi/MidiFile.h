// Standard MIDI file reader for the headless host: channel events merged from all tracks, timed in seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::host {

struct MidiFileEvent {
  double seconds = 0.0;  // absolute time from the start of the file
  uint64_t tick = 0;     // absolute time in file ticks
  uint16_t track = 0;    // index of the MTrk chunk the event came from
  uint8_t status = 0;    // 0x80..0xEF, channel in the low four bits
  uint8_t data1 = 0;
  uint8_t data2 = 0;  // 0 for the one-byte messages (program change, channel pressure)
};

struct MidiTempoChange {
  double seconds = 0.0;
  uint64_t tick = 0;
  uint32_t microsPerQuarter = 500000;
  double bpm() const { return 60000000.0 / microsPerQuarter; }
};

struct MidiSong {
  int format = 0;                       // 0 or 1
  int trackCount = 0;                   // MTrk chunks read
  int ticksPerQuarter = 0;              // 0 with SMPTE timing
  double smpteSecondsPerTick = 0.0;     // > 0 with SMPTE timing; tempo events then do not move events
  std::vector<MidiFileEvent> events;    // time-ordered; equal times keep file order (track, then position)
  std::vector<MidiTempoChange> tempos;  // time-ordered tempo map of the whole file
  double endSeconds = 0.0;              // latest event of any kind, end-of-track included

  // The tempo of the earliest tempo event in the file, if it has one.
  std::optional<double> firstTempoBpm() const;
};

// Files larger than this are refused before they are read.
inline constexpr std::size_t kMaxMidiFileBytes = 32u * 1024u * 1024u;

// Parses a whole file image. Returns false with a one-line reason in *error on any malformed input.
bool parseMidiFile(const uint8_t* data, std::size_t size, MidiSong& song, std::string* error);
bool parseMidiFile(const std::vector<uint8_t>& bytes, MidiSong& song, std::string* error);

// Reads and parses a file from disk.
bool loadMidiFile(const std::string& path, MidiSong& song, std::string* error);

}  // namespace tarnwick::host
