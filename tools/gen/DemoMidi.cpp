// Writes the demo phrase: a tempo track and two note tracks, using running status as real files do.
#include "tools/gen/DemoMidi.h"

#include <algorithm>
#include <string>

namespace tarnwick::gen {
namespace {

constexpr uint32_t kQuarter = kDemoTicksPerQuarter, kEighth = kQuarter / 2, kSixteenth = kQuarter / 4;
constexpr uint32_t kBar = 4 * kQuarter;

struct TrackEvent {
  uint32_t tick;
  int rank;  // at equal ticks: meta first, then note-offs, then the rest
  int order;
  std::vector<uint8_t> bytes;
};

class TrackWriter {
 public:
  // Note-offs as note-on with velocity 0 keep one running status through a whole melody.
  explicit TrackWriter(bool offAsZeroVelocityOn) : zeroVelocityOff_(offAsZeroVelocityOn) {}

  void meta(uint32_t tick, uint8_t type, std::vector<uint8_t> data) {
    std::vector<uint8_t> bytes = {0xFF, type, static_cast<uint8_t>(data.size())};
    bytes.insert(bytes.end(), data.begin(), data.end());
    add(tick, 0, std::move(bytes));
  }
  void name(const std::string& text) { meta(0, 0x03, std::vector<uint8_t>(text.begin(), text.end())); }
  void tempo(uint32_t tick, double bpm) {
    const uint32_t micros = static_cast<uint32_t>(60000000.0 / bpm + 0.5);
    meta(tick, 0x51,
         {static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8), static_cast<uint8_t>(micros)});
  }
  void channel(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2, bool hasSecond = true) {
    std::vector<uint8_t> bytes = {status, d1};
    if (hasSecond) bytes.push_back(d2);
    add(tick, 2, std::move(bytes));
  }
  void note(uint8_t ch, uint32_t tick, uint32_t length, uint8_t key, uint8_t velocity) {
    channel(tick, static_cast<uint8_t>(0x90 | ch), key, velocity);
    std::vector<uint8_t> off = zeroVelocityOff_ ? std::vector<uint8_t>{static_cast<uint8_t>(0x90 | ch), key, 0}
                                                : std::vector<uint8_t>{static_cast<uint8_t>(0x80 | ch), key, 64};
    add(tick + length, 1, std::move(off));
  }

  // MTrk chunk with delta times, running status and the end-of-track event.
  std::vector<uint8_t> chunk() {
    std::stable_sort(events_.begin(), events_.end(), [](const TrackEvent& a, const TrackEvent& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.rank < b.rank;
    });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    uint8_t running = 0;
    for (const TrackEvent& e : events_) {
      putVlq(body, e.tick - now);
      now = e.tick;
      std::size_t skip = 0;
      if (e.bytes[0] < 0xF0) {
        if (e.bytes[0] == running) skip = 1;
        running = e.bytes[0];
      } else {
        running = 0;
      }
      body.insert(body.end(), e.bytes.begin() + static_cast<std::ptrdiff_t>(skip), e.bytes.end());
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> out = {'M', 'T', 'r', 'k'};
    putU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
  }

  static void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
  }

 private:
  void add(uint32_t tick, int rank, std::vector<uint8_t> bytes) {
    events_.push_back({tick, rank, static_cast<int>(events_.size()), std::move(bytes)});
  }
  static void putVlq(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t groups[4];
    int n = 0;
    do {
      groups[n++] = static_cast<uint8_t>(v & 0x7F);
      v >>= 7;
    } while (v != 0 && n < 4);
    while (n-- > 0) out.push_back(static_cast<uint8_t>(groups[n] | (n > 0 ? 0x80 : 0x00)));
  }

  bool zeroVelocityOff_;
  std::vector<TrackEvent> events_;
};

// Keys map to slices of the recording under the 61-key mapping: 36..51 bells, 51..63 chord, 63..75 noise,
// 75..83 drums, 83..96 vowels.
void writeLead(TrackWriter& t) {
  t.name("grains");
  auto n = [&t](uint32_t tick, uint32_t length, uint8_t key, uint8_t velocity) {
    t.note(0, tick, length, key, velocity);
  };
  n(0, 2 * kBar, 40, 96);
  n(kQuarter, kQuarter, 47, 70);
  n(2 * kQuarter, 2 * kQuarter, 44, 80);
  for (uint8_t key : {55, 59, 62}) n(kBar, 2 * kBar, key, static_cast<uint8_t>(72 - (key - 55) * 2));
  const uint32_t bar2 = 2 * kBar;
  n(bar2, kEighth, 86, 100);
  n(bar2 + kEighth, kEighth, 88, 84);
  n(bar2 + kQuarter, kQuarter, 91, 110);
  n(bar2 + 2 * kQuarter, kEighth, 89, 76);
  n(bar2 + 2 * kQuarter + kEighth, kQuarter + kEighth, 86, 92);
  const uint32_t bar3 = 3 * kBar;
  n(bar3, kQuarter, 66, 90);
  n(bar3 + kQuarter, kQuarter, 70, 75);
  n(bar3 + 2 * kQuarter, kEighth, 78, 120);
  n(bar3 + 2 * kQuarter + kEighth, kEighth, 78, 100);  // the same key again: off and on meet at one tick
  n(bar3 + 3 * kQuarter, kEighth, 80, 110);
  n(bar3 + 3 * kQuarter + kEighth, kEighth, 76, 90);
  const uint32_t bar4 = 4 * kBar;
  n(bar4, 2 * kBar, 36, 85);
  n(bar4, 2 * kBar, 43, 70);
  n(bar4, 2 * kBar, 48, 70);
  n(bar4 + kQuarter, kBar + 2 * kQuarter, 93, 88);
  const uint32_t bar5 = 5 * kBar;
  n(bar5, kEighth, 45, 64);
  n(bar5 + kEighth, kEighth, 47, 72);
  n(bar5 + kQuarter, kEighth, 50, 80);
  n(bar5 + 3 * kEighth, kQuarter, 52, 96);
  n(bar5 + 5 * kEighth, 3 * kEighth, 68, 58);
  const uint32_t bar6 = 6 * kBar;
  static constexpr uint8_t kRhythm[] = {76, 79, 81, 79, 76, 81, 79, 82};
  for (uint32_t i = 0; i < 8; ++i)
    n(bar6 + 2 * i * kSixteenth, kSixteenth, kRhythm[i], static_cast<uint8_t>(i % 4 == 0 ? 124 : 70 + 6 * i));
  const uint32_t bar7 = 7 * kBar;
  n(bar7, kBar, 52, 80);
  n(bar7, kBar, 57, 70);
  n(bar7, kBar, 84, 90);
  n(bar7 + kEighth, kBar - kEighth, 90, 76);
}

void writeBass(TrackWriter& t) {
  t.name("low");
  t.channel(0, 0xC1, 5, 0, false);  // program change and volume: ignored by the instrument, but real files have them
  t.channel(0, 0xB1, 7, 100);
  auto n = [&t](uint32_t tick, uint32_t length, uint8_t key, uint8_t velocity) {
    t.note(1, tick, length, key, velocity);
  };
  n(0, 2 * kQuarter, 36, 62);
  n(2 * kQuarter, 2 * kQuarter, 38, 58);
  n(2 * kBar, kBar, 43, 66);
  n(3 * kBar, 2 * kQuarter, 41, 70);
  n(3 * kBar + 2 * kQuarter, 2 * kQuarter, 39, 60);
  n(5 * kBar, kBar, 38, 74);
  n(6 * kBar, kBar, 43, 68);
  n(7 * kBar, kBar, 36, 72);
}

}  // namespace

std::vector<uint8_t> demoMidiFile() {
  TrackWriter tempoTrack(false), lead(true), bass(false);
  tempoTrack.name("Tarnwick demo");
  tempoTrack.meta(0, 0x58, {4, 2, 24, 8});
  tempoTrack.tempo(0, 108.0);
  tempoTrack.tempo(4 * kBar, 116.0);
  writeLead(lead);
  writeBass(bass);

  std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3};
  out.push_back(static_cast<uint8_t>(kDemoTicksPerQuarter >> 8));
  out.push_back(static_cast<uint8_t>(kDemoTicksPerQuarter & 0xFF));
  for (TrackWriter* t : {&tempoTrack, &lead, &bass}) {
    const std::vector<uint8_t> chunk = t->chunk();
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

}  // namespace tarnwick::gen
