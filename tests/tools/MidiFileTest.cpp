// Standard MIDI file reader: timing, running status, tempo map, merge order and hostile images.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/tools/MidiBytes.h"
#include "tools/gen/Prng.h"
#include "tools/midi/MidiFile.h"

namespace tarnwick::host {
namespace {

using namespace test;

MidiSong parseOk(const Bytes& bytes) {
  MidiSong song;
  std::string error;
  EXPECT_TRUE(parseMidiFile(bytes, song, &error)) << error;
  return song;
}

std::string parseError(const Bytes& bytes) {
  MidiSong song;
  std::string error;
  EXPECT_FALSE(parseMidiFile(bytes, song, &error));
  EXPECT_FALSE(error.empty());
  return error;
}

TEST(MidiFile, FormatZeroNotesAtDefaultTempo) {
  Bytes body = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 64};  // note-on at 0, note-off 96 ticks later
  append(body, kEndOfTrack);
  const MidiSong song = parseOk(file(header(0, 1, 96), {body}));
  EXPECT_EQ(song.format, 0);
  EXPECT_EQ(song.trackCount, 1);
  EXPECT_EQ(song.ticksPerQuarter, 96);
  EXPECT_FALSE(song.firstTempoBpm().has_value());
  ASSERT_EQ(song.events.size(), 2u);
  EXPECT_EQ(song.events[0].status, 0x90);
  EXPECT_EQ(song.events[0].data1, 60);
  EXPECT_EQ(song.events[0].data2, 100);
  EXPECT_DOUBLE_EQ(song.events[0].seconds, 0.0);
  EXPECT_EQ(song.events[1].status, 0x80);
  EXPECT_EQ(song.events[1].tick, 96u);
  EXPECT_DOUBLE_EQ(song.events[1].seconds, 0.5);  // one quarter at 120 BPM
}

TEST(MidiFile, RunningStatusCarriesAcrossNoteOnsAndZeroVelocityOffs) {
  Bytes body = {0x00, 0x91, 60, 100,  // explicit note-on, channel 2
                0x10, 60,   0,        // running: note-off as velocity 0
                0x00, 64,   90,       // running: next note-on
                0x10, 0x81, 64, 10,   // explicit note-off
                0x00, 67,   20,       // running note-off
                0x00, 0xC1, 5,        // program change: one data byte
                0x00, 7,              // running program change
                0x00, 0xD1, 33};      // channel pressure
  append(body, kEndOfTrack);
  const MidiSong song = parseOk(file(header(0, 1, 480), {body}));
  ASSERT_EQ(song.events.size(), 8u);
  const uint8_t expected[8][3] = {{0x91, 60, 100}, {0x91, 60, 0}, {0x91, 64, 90}, {0x81, 64, 10},
                                  {0x81, 67, 20},  {0xC1, 5, 0},  {0xC1, 7, 0},   {0xD1, 33, 0}};
  for (std::size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(song.events[i].status, expected[i][0]);
    EXPECT_EQ(song.events[i].data1, expected[i][1]);
    EXPECT_EQ(song.events[i].data2, expected[i][2]);
  }
}

TEST(MidiFile, MetaAndSysexAreSkippedAndRunningStatusSurvivesThem) {
  Bytes body = {0x00, 0x90, 60, 100};
  append(body, {0x00, 0xFF, 0x03, 0x04, 'l', 'e', 'a', 'd'});  // track name
  append(body, {0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7});          // sysex
  append(body, {0x00, 0xF7, 0x02, 0xF8, 0xFA});                // escaped real-time bytes
  append(body, {0x00, 60, 0});                                 // running status after them
  append(body, kEndOfTrack);
  const MidiSong song = parseOk(file(header(0, 1, 480), {body}));
  ASSERT_EQ(song.events.size(), 2u);
  EXPECT_EQ(song.events[1].status, 0x90);
  EXPECT_EQ(song.events[1].data2, 0);
}

TEST(MidiFile, TempoChangeMidFileMovesOnlyLaterEvents) {
  // Tempo track: 120 BPM, then 60 BPM at tick 480; notes every 480 ticks in track 1.
  Bytes tempo = tempoEvent(0, 500000);
  append(tempo, tempoEvent(480, 1000000));
  append(tempo, kEndOfTrack);
  Bytes notes = {0x00, 0x90, 60, 100, 0x83, 0x60, 60, 0, 0x83, 0x60, 62, 100, 0x83, 0x60, 62, 0};
  append(notes, kEndOfTrack);
  const MidiSong song = parseOk(file(header(1, 2, 480), {tempo, notes}));
  ASSERT_EQ(song.events.size(), 4u);
  EXPECT_DOUBLE_EQ(song.events[0].seconds, 0.0);
  EXPECT_DOUBLE_EQ(song.events[1].seconds, 0.5);  // before the change: 0.5 s per quarter
  EXPECT_DOUBLE_EQ(song.events[2].seconds, 1.5);  // after it: 1 s per quarter
  EXPECT_DOUBLE_EQ(song.events[3].seconds, 2.5);
  for (const MidiFileEvent& e : song.events) EXPECT_EQ(e.track, 1);
  ASSERT_EQ(song.tempos.size(), 2u);
  EXPECT_DOUBLE_EQ(song.tempos[1].seconds, 0.5);
  EXPECT_DOUBLE_EQ(song.tempos[1].bpm(), 60.0);
  ASSERT_TRUE(song.firstTempoBpm().has_value());
  EXPECT_DOUBLE_EQ(*song.firstTempoBpm(), 120.0);
}

TEST(MidiFile, TempoInALaterTrackAppliesToEveryTrack) {
  Bytes notes = {0x00, 0x90, 60, 100, 0x81, 0x70, 60, 0};  // 240 ticks later
  append(notes, kEndOfTrack);
  Bytes tempo = tempoEvent(0, 250000);  // 240 BPM
  append(tempo, kEndOfTrack);
  const MidiSong song = parseOk(file(header(1, 2, 480), {notes, tempo}));
  ASSERT_EQ(song.events.size(), 2u);
  EXPECT_DOUBLE_EQ(song.events[1].seconds, 0.125);
  EXPECT_DOUBLE_EQ(*song.firstTempoBpm(), 240.0);
}

TEST(MidiFile, EqualTimesKeepFileOrderAcrossAndWithinTracks) {
  Bytes a = {0x00, 0x90, 60, 100, 0x00, 0x80, 61, 0, 0x0A, 0x90, 70, 1};
  append(a, kEndOfTrack);
  Bytes b = {0x00, 0x80, 50, 0, 0x00, 0x90, 51, 9, 0x05, 0x90, 52, 2};
  append(b, kEndOfTrack);
  const MidiSong song = parseOk(file(header(1, 2, 96), {a, b}));
  std::vector<int> keys;
  for (const MidiFileEvent& e : song.events) keys.push_back(e.data1);
  EXPECT_EQ(keys, (std::vector<int>{60, 61, 50, 51, 52, 70}));
}

TEST(MidiFile, VariableLengthQuantityEdgeValues) {
  for (uint32_t delta : {0u, 0x7Fu, 0x80u, 0x3FFFu, 0x4000u, 0x1FFFFFu, 0x200000u, 0x0FFFFFFFu}) {
    SCOPED_TRACE(delta);
    Bytes body = vlq(delta);
    append(body, {0x90, 60, 1});
    append(body, kEndOfTrack);
    const MidiSong song = parseOk(file(header(0, 1, 1), {body}));
    ASSERT_EQ(song.events.size(), 1u);
    EXPECT_EQ(song.events[0].tick, delta);
    EXPECT_DOUBLE_EQ(song.events[0].seconds, delta * 0.5);  // 1 tick per quarter at 120 BPM
  }
  EXPECT_EQ(vlq(0x0FFFFFFF), (Bytes{0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(MidiFile, SmpteDivisionCountsRealTimeAndIgnoresTempo) {
  Bytes body = tempoEvent(0, 1000000);
  append(body, {0x00, 0x90, 60, 100, 0x87, 0x68, 0x80, 60, 0});  // 1000 ticks later
  append(body, kEndOfTrack);
  const uint16_t division = static_cast<uint16_t>((0x100 - 25) << 8 | 40);  // 25 fps x 40 = 1 ms per tick
  const MidiSong song = parseOk(file(header(0, 1, division), {body}));
  ASSERT_EQ(song.events.size(), 2u);
  EXPECT_NEAR(song.events[1].seconds, 1.0, 1e-12);
  EXPECT_EQ(song.ticksPerQuarter, 0);
}

TEST(MidiFile, UnknownChunksZeroTempoAndBytesAfterEndOfTrackAreIgnored) {
  Bytes image = header(0, 1, 96);
  append(image, {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 0xAB, 0xCD});
  Bytes body = tempoEvent(0, 0);
  append(body, {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0});
  append(body, kEndOfTrack);
  append(body, {0x00, 0x90, 61, 100});  // after end of track
  append(image, track(body));
  const MidiSong song = parseOk(image);
  EXPECT_TRUE(song.tempos.empty());
  ASSERT_EQ(song.events.size(), 2u);
  EXPECT_DOUBLE_EQ(song.events[1].seconds, 0.5);
}

TEST(MidiFile, EndSecondsIncludesTheLastEndOfTrack) {
  Bytes body = {0x00, 0x90, 60, 100, 0x60, 0xFF, 0x2F, 0x00};
  const MidiSong song = parseOk(file(header(0, 1, 96), {body}));
  EXPECT_DOUBLE_EQ(song.endSeconds, 0.5);
}

TEST(MidiFile, RefusesWhatItCannotPlay) {
  EXPECT_NE(parseError(file(header(2, 1, 96), {kEndOfTrack})).find("format 2"), std::string::npos);
  parseError(file(header(3, 1, 96), {kEndOfTrack}));
  parseError(file(header(0, 1, 0), {kEndOfTrack}));                              // division 0
  parseError(file(header(0, 0, 96), {}));                                        // no tracks
  parseError(file(header(0, 1, static_cast<uint16_t>(0xE200)), {kEndOfTrack}));  // -30 fps, 0 ticks per frame
  parseError(file(header(0, 1, static_cast<uint16_t>(0xE40A)), {kEndOfTrack}));  // -28 fps
  parseError({'R', 'I', 'F', 'F', 0, 0, 0, 0});
  parseError({});
}

TEST(MidiFile, MalformedImagesGiveErrors) {
  const Bytes head = header(0, 1, 96);
  auto withBody = [&](const Bytes& body) { return file(head, {body}); };
  EXPECT_NE(parseError(withBody({0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 1})).find("longer than 4"), std::string::npos);
  parseError(withBody({0x80, 0x80}));                                      // delta time cut off
  parseError(withBody({0x00}));                                            // delta without event
  parseError(withBody({0x00, 60, 100}));                                   // data byte, no running status yet
  parseError(withBody({0x00, 0x90, 60, 0x90}));                            // status byte inside a message
  parseError(withBody({0x00, 0x90, 60}));                                  // message cut off
  parseError(withBody({0x00, 0xFF, 0x01, 0x10, 'a'}));                     // meta length past the track
  parseError(withBody({0x00, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}));  // huge meta length
  parseError(withBody({0x00, 0xF0, 0x85, 0x00, 0x01}));                    // sysex length past the track
  parseError(withBody({0x00, 0xF8}));                                      // real-time byte as an event
  parseError(withBody({0x00, 0xFF}));                                      // meta type missing

  Bytes lying = head;  // track length past the end of the file
  append(lying, {'M', 'T', 'r', 'k', 0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 60, 1});
  EXPECT_NE(parseError(lying).find("past the end"), std::string::npos);

  Bytes shortHeader = {'M', 'T', 'h', 'd', 0, 0, 0, 4, 0, 0, 0, 1};
  parseError(shortHeader);
  Bytes missingTracks = file(header(1, 3, 96), {kEndOfTrack});
  EXPECT_NE(parseError(missingTracks).find("1 of 3"), std::string::npos);
  Bytes cutChunkHeader = file(head, {});
  append(cutChunkHeader, {'M', 'T', 'r'});
  parseError(cutChunkHeader);
}

// Every prefix and many mutations of a valid file must parse or fail cleanly; sanitizer builds check the rest.
TEST(MidiFile, TruncatedAndMutatedImagesNeverMisbehave) {
  Bytes tempo = tempoEvent(0, 400000);
  append(tempo, tempoEvent(200, 600000));
  append(tempo, kEndOfTrack);
  Bytes notes = {0x00, 0x90, 60,   100, 0x40, 60,   0,    0x00, 0xF0, 0x02, 0x01, 0xF7,
                 0x81, 0x00, 0xB0, 7,   100,  0x00, 0xC0, 3,    0x20, 0xE0, 0x00, 0x40};
  append(notes, kEndOfTrack);
  const Bytes valid = file(header(1, 2, 96), {tempo, notes});
  parseOk(valid);

  for (std::size_t cut = 0; cut < valid.size(); ++cut) {
    MidiSong song;
    std::string error;
    EXPECT_FALSE(parseMidiFile(valid.data(), cut, song, &error)) << "prefix " << cut;
  }
  gen::Prng rng(12345);
  for (int round = 0; round < 3000; ++round) {
    Bytes mutated = valid;
    const int flips = 1 + static_cast<int>(rng.next() % 4);
    for (int f = 0; f < flips; ++f) mutated[rng.next() % mutated.size()] = static_cast<uint8_t>(rng.next());
    MidiSong song;
    std::string error;
    if (parseMidiFile(mutated, song, &error)) {
      EXPECT_LE(song.events.size(), mutated.size());
      for (std::size_t i = 1; i < song.events.size(); ++i)
        ASSERT_LE(song.events[i - 1].seconds, song.events[i].seconds);
      for (const MidiFileEvent& e : song.events) ASSERT_TRUE(std::isfinite(e.seconds));
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(MidiFile, LoadReportsMissingFilesWithTheirPath) {
  MidiSong song;
  std::string error;
  EXPECT_FALSE(loadMidiFile("/nonexistent/dir/phrase.mid", song, &error));
  EXPECT_NE(error.find("/nonexistent/dir/phrase.mid"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::host
