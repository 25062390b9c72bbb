// Standard MIDI file reader: bounded byte cursor, chunk walk, track decoding, tempo map and merge.
#include "tools/midi/MidiFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/Paths.h"

namespace tarnwick::host {
namespace {

constexpr uint32_t kDefaultMicrosPerQuarter = 500000;  // 120 BPM until the file says otherwise

// Reads big-endian fields and variable-length quantities without ever passing `end`.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* begin, const uint8_t* end) : pos_(begin), end_(end) {}

  std::size_t remaining() const { return static_cast<std::size_t>(end_ - pos_); }
  const uint8_t* position() const { return pos_; }

  bool readU8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = *pos_++;
    return true;
  }
  bool readU16(uint16_t& v) {
    if (remaining() < 2) return false;
    v = static_cast<uint16_t>((pos_[0] << 8) | pos_[1]);
    pos_ += 2;
    return true;
  }
  bool readU32(uint32_t& v) {
    if (remaining() < 4) return false;
    v = (uint32_t{pos_[0]} << 24) | (uint32_t{pos_[1]} << 16) | (uint32_t{pos_[2]} << 8) | uint32_t{pos_[3]};
    pos_ += 4;
    return true;
  }
  bool skip(std::size_t n) {
    if (remaining() < n) return false;
    pos_ += n;
    return true;
  }
  // Variable-length quantity of at most four bytes (28 bits).
  enum class Vlq { ok, truncated, tooLong };
  Vlq readVlq(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b = 0;
      if (!readU8(b)) return Vlq::truncated;
      v = (v << 7) | (b & 0x7Fu);
      if ((b & 0x80u) == 0) return Vlq::ok;
    }
    return Vlq::tooLong;
  }

 private:
  const uint8_t* pos_;
  const uint8_t* end_;
};

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

int dataBytesOf(uint8_t status) {
  const uint8_t kind = status & 0xF0u;
  return (kind == 0xC0u || kind == 0xD0u) ? 1 : 2;
}

struct TrackResult {
  std::vector<MidiFileEvent> events;
  std::vector<MidiTempoChange> tempos;
  uint64_t endTick = 0;
};

bool readVlqOrFail(ByteCursor& in, uint32_t& v, const std::string& where, std::string* error) {
  switch (in.readVlq(v)) {
    case ByteCursor::Vlq::ok: return true;
    case ByteCursor::Vlq::truncated:
      return fail(error, where + ": variable-length number runs past the end of the track");
    case ByteCursor::Vlq::tooLong: return fail(error, where + ": variable-length number longer than 4 bytes");
  }
  return false;
}

bool readTrack(ByteCursor in, uint16_t trackIndex, TrackResult& out, std::string* error) {
  const std::string where = "track " + std::to_string(trackIndex);
  uint64_t tick = 0;
  uint8_t runningStatus = 0;
  while (in.remaining() > 0) {
    uint32_t delta = 0;
    if (!readVlqOrFail(in, delta, where, error)) return false;
    tick += delta;
    out.endTick = tick;

    uint8_t first = 0;
    if (!in.readU8(first)) return fail(error, where + ": event missing after its delta time");

    // Meta and sysex events leave the running status alone: a correct file never relies on it surviving
    // them, and some writers do, so keeping it reads more files and misreads none.
    if (first == 0xFFu) {  // meta event
      uint8_t type = 0;
      uint32_t length = 0;
      if (!in.readU8(type)) return fail(error, where + ": truncated meta event");
      if (!readVlqOrFail(in, length, where, error)) return false;
      if (length > in.remaining()) return fail(error, where + ": meta event length past the end of the track");
      if (type == 0x2Fu) return true;  // end of track: anything after it is ignored
      if (type == 0x51u && length == 3) {
        const uint8_t* p = in.position();
        const uint32_t micros = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
        if (micros > 0) out.tempos.push_back({0.0, tick, micros});  // a zero tempo is meaningless: ignored
      }
      in.skip(length);
      continue;
    }
    if (first == 0xF0u || first == 0xF7u) {  // sysex or escaped bytes: skipped whole
      uint32_t length = 0;
      if (!readVlqOrFail(in, length, where, error)) return false;
      if (!in.skip(length)) return fail(error, where + ": system-exclusive length past the end of the track");
      continue;
    }
    if (first >= 0xF0u) return fail(error, where + ": system message not allowed in a file");

    uint8_t status = first;
    uint8_t data[2] = {0, 0};
    int have = 0;
    if (first < 0x80u) {  // running status: this byte is the first data byte
      if (runningStatus == 0) return fail(error, where + ": data byte without a running status");
      status = runningStatus;
      data[have++] = first;
    }
    runningStatus = status;
    const int need = dataBytesOf(status);
    while (have < need) {
      uint8_t b = 0;
      if (!in.readU8(b)) return fail(error, where + ": truncated channel message");
      if (b >= 0x80u) return fail(error, where + ": status byte where a data byte belongs");
      data[have++] = b;
    }
    MidiFileEvent ev;
    ev.tick = tick;
    ev.track = trackIndex;
    ev.status = status;
    ev.data1 = data[0];
    ev.data2 = need == 2 ? data[1] : 0;
    out.events.push_back(ev);
  }
  return true;  // a track without an end-of-track event ends with its chunk
}

// Maps ticks to seconds through a time-ordered tempo map (ticks per quarter) or a fixed SMPTE rate.
class TickClock {
 public:
  TickClock(const MidiSong& song) : song_(song) {}

  double seconds(uint64_t tick) {
    if (song_.smpteSecondsPerTick > 0.0) return static_cast<double>(tick) * song_.smpteSecondsPerTick;
    while (next_ < song_.tempos.size() && song_.tempos[next_].tick <= tick) {
      const MidiTempoChange& t = song_.tempos[next_];
      baseSeconds_ += secondsFor(t.tick - baseTick_);
      baseTick_ = t.tick;
      micros_ = t.microsPerQuarter;
      ++next_;
    }
    return baseSeconds_ + secondsFor(tick - baseTick_);
  }

 private:
  double secondsFor(uint64_t ticks) const {
    return static_cast<double>(ticks) * micros_ / (1.0e6 * song_.ticksPerQuarter);
  }
  const MidiSong& song_;
  std::size_t next_ = 0;
  uint64_t baseTick_ = 0;
  double baseSeconds_ = 0.0;
  uint32_t micros_ = kDefaultMicrosPerQuarter;
};

bool readHeader(ByteCursor& in, MidiSong& song, uint16_t& declaredTracks, std::string* error) {
  uint32_t magic = 0, length = 0;
  if (!in.readU32(magic) || magic != 0x4D546864u) return fail(error, "not a standard MIDI file (no MThd header)");
  if (!in.readU32(length) || length < 6) return fail(error, "MIDI header too short");
  if (length > in.remaining()) return fail(error, "MIDI header length past the end of the file");
  uint16_t format = 0, division = 0;
  in.readU16(format);
  in.readU16(declaredTracks);
  in.readU16(division);
  in.skip(length - 6);
  if (format == 2) return fail(error, "MIDI format 2 (independent sequences) is not supported");
  if (format > 2) return fail(error, "unknown MIDI file format " + std::to_string(format));
  if (declaredTracks == 0) return fail(error, "MIDI file declares no tracks");
  song.format = format;
  if (division & 0x8000u) {
    const int framesPerSecond = -static_cast<int8_t>(division >> 8);
    const int ticksPerFrame = division & 0xFF;
    if (ticksPerFrame == 0 ||
        (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30))
      return fail(error, "bad SMPTE time division");
    const double fps = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
    song.smpteSecondsPerTick = 1.0 / (fps * ticksPerFrame);
  } else {
    if (division == 0) return fail(error, "MIDI time division of 0 ticks per quarter note");
    song.ticksPerQuarter = division;
  }
  return true;
}

}  // namespace

std::optional<double> MidiSong::firstTempoBpm() const {
  if (tempos.empty()) return std::nullopt;
  return tempos.front().bpm();
}

bool parseMidiFile(const uint8_t* data, std::size_t size, MidiSong& song, std::string* error) {
  song = MidiSong{};
  if (data == nullptr) size = 0;
  ByteCursor in(data, data + size);
  uint16_t declaredTracks = 0;
  if (!readHeader(in, song, declaredTracks, error)) return false;

  TrackResult merged;
  uint64_t endTick = 0;
  int tracks = 0;
  while (tracks < declaredTracks && in.remaining() > 0) {
    uint32_t type = 0, length = 0;
    if (!in.readU32(type) || !in.readU32(length)) return fail(error, "truncated chunk header");
    if (length > in.remaining()) return fail(error, "chunk length past the end of the file");
    ByteCursor body(in.position(), in.position() + length);
    in.skip(length);
    if (type != 0x4D54726Bu) continue;  // unknown chunk types are skipped
    TrackResult track;
    if (!readTrack(body, static_cast<uint16_t>(tracks), track, error)) return false;
    merged.events.insert(merged.events.end(), track.events.begin(), track.events.end());
    merged.tempos.insert(merged.tempos.end(), track.tempos.begin(), track.tempos.end());
    endTick = std::max(endTick, track.endTick);
    ++tracks;
  }
  if (tracks < declaredTracks)
    return fail(error,
                "file ends after " + std::to_string(tracks) + " of " + std::to_string(declaredTracks) + " tracks");
  song.trackCount = tracks;

  // Tracks were appended in file order, so stable sorts keep file order for equal ticks.
  const auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
  std::stable_sort(merged.tempos.begin(), merged.tempos.end(), byTick);
  std::stable_sort(merged.events.begin(), merged.events.end(), byTick);
  song.tempos = std::move(merged.tempos);
  song.events = std::move(merged.events);

  TickClock tempoClock(song);
  for (MidiTempoChange& t : song.tempos) t.seconds = tempoClock.seconds(t.tick);
  TickClock clock(song);
  for (MidiFileEvent& e : song.events) e.seconds = clock.seconds(e.tick);
  song.endSeconds = TickClock(song).seconds(endTick);
  return true;
}

bool parseMidiFile(const std::vector<uint8_t>& bytes, MidiSong& song, std::string* error) {
  return parseMidiFile(bytes.data(), bytes.size(), song, error);
}

bool loadMidiFile(const std::string& path, MidiSong& song, std::string* error) {
  // Only a regular file is opened: opening a FIFO would wait for a writer for ever.
  std::error_code ec;
  const std::filesystem::path name = platform::fileSystemPath(path.c_str());
  const auto type = std::filesystem::status(name, ec).type();
  if (type == std::filesystem::file_type::not_found) return fail(error, "cannot open MIDI file " + path);
  if (type != std::filesystem::file_type::regular) return fail(error, "MIDI file " + path + " is not a regular file");
  std::ifstream file(name, std::ios::binary | std::ios::ate);
  if (!file) return fail(error, "cannot open MIDI file " + path);
  const std::streamoff size = file.tellg();
  if (size < 0) return fail(error, "cannot read MIDI file " + path);
  if (static_cast<unsigned long long>(size) > kMaxMidiFileBytes) return fail(error, "MIDI file too large: " + path);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return fail(error, "cannot read MIDI file " + path);
  if (!parseMidiFile(bytes, song, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace tarnwick::host
