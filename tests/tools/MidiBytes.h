// Builds standard MIDI file images byte by byte for the reader tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tarnwick::host::test {

using Bytes = std::vector<uint8_t>;

inline void append(Bytes& out, std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }
inline void append(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

inline void appendU32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline Bytes header(uint16_t format, uint16_t tracks, uint16_t division) {
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  append(out, {static_cast<uint8_t>(format >> 8), static_cast<uint8_t>(format), static_cast<uint8_t>(tracks >> 8),
               static_cast<uint8_t>(tracks), static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)});
  return out;
}

inline Bytes track(const Bytes& body) {
  Bytes out = {'M', 'T', 'r', 'k'};
  appendU32(out, static_cast<uint32_t>(body.size()));
  append(out, body);
  return out;
}

inline Bytes vlq(uint32_t v) {
  Bytes groups;
  do {
    groups.insert(groups.begin(), static_cast<uint8_t>((v & 0x7F) | (groups.empty() ? 0 : 0x80)));
    v >>= 7;
  } while (v != 0);
  return groups;
}

inline Bytes tempoEvent(uint32_t delta, uint32_t microsPerQuarter) {
  Bytes out = vlq(delta);
  append(out, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsPerQuarter >> 16),
               static_cast<uint8_t>(microsPerQuarter >> 8), static_cast<uint8_t>(microsPerQuarter)});
  return out;
}

inline const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

inline Bytes file(const Bytes& head, std::initializer_list<Bytes> trackBodies) {
  Bytes out = head;
  for (const Bytes& body : trackBodies) append(out, track(body));
  return out;
}

}  // namespace tarnwick::host::test
