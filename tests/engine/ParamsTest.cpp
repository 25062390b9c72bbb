// The parameter space: names, labels and display texts, value mappings, echoes to the editor,
// and writes that must change nothing (NaN) or behave like out-of-table menu values.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "EngineTestSupport.h"
#include "engine/ParameterText.h"

namespace tarnwick::test {
namespace {

// Texts are written into a wide buffer of sentinels so that an overrun past 8 + 1 shows.
struct Text {
  char buf[64];
  Text() { std::memset(buf, 'Z', sizeof buf); }
  std::string str() const { return std::string(buf, strnlen(buf, sizeof buf)); }
  bool untouched() const {
    for (char c : buf) {
      if (c != 'Z') return false;
    }
    return true;
  }
  bool fits() const {
    const size_t n = strnlen(buf, sizeof buf);
    if (n > 8) return false;
    for (size_t i = n + 1; i < sizeof buf; ++i) {
      if (buf[i] != 'Z') return false;
    }
    return true;
  }
};

std::string name(int index) {
  Text t;
  parameterName(index, t.buf);
  return t.str();
}
std::string label(Engine& e, int index) {
  Text t;
  parameterLabel(e.state(), index, t.buf);
  return t.str();
}
std::string display(Engine& e, int index) {
  Text t;
  parameterDisplay(e.state(), index, t.buf);
  return t.str();
}

class Params : public ::testing::Test {
 protected:
  void SetUp() override {
    e.setEditor(&editor);
    bringUp(e, 61 * 1000);
  }
  float echoed(int index) {
    float v = std::numeric_limits<float>::quiet_NaN();
    editor.last(index, v);
    return v;
  }
  RecordingEditor editor;
  FakeHostTime clock;
  Engine e{&clock};
};

TEST_F(Params, FreshInstanceShowsTheFactoryProgram) {
  EXPECT_EQ(e.getParameter(kMainLevl), 0.5f);
  EXPECT_EQ(e.state().masterGain, 0.5f);
  EXPECT_EQ(display(e, kMainLevl), "-6 dB");
  EXPECT_EQ(label(e, kMainLevl), "");
  EXPECT_EQ(e.getParameter(kUnitDura), 0.0f);
  EXPECT_EQ(display(e, kUnitDura), "keysplit");
  EXPECT_EQ(label(e, kUnitDura), "");
  EXPECT_EQ(e.getParameter(kEnvelope), 0.05f);
  EXPECT_EQ(display(e, kEnvelope), " 5 %");
  EXPECT_EQ(label(e, kEnvelope), "sustain");
  EXPECT_EQ(e.getParameter(kRelease), 0.0f);
  EXPECT_EQ(display(e, kRelease), "infinite");
  EXPECT_EQ(label(e, kRelease), "");
  for (int i : {kTrigmode, kMove, kMorph}) EXPECT_EQ(display(e, i), "off") << i;
  EXPECT_EQ(display(e, kBufstart), " 0 %");
}

TEST_F(Params, MainLevelShowsTheMasterGainInDecibels) {
  e.setParameter(kMainLevl, 0.75f);
  EXPECT_EQ(e.state().masterGain, 0.75f * 0.75f * 2.0f);
  EXPECT_EQ(display(e, kMainLevl), "+1 dB");
  e.setParameter(kMainLevl, 1.0f);
  EXPECT_EQ(display(e, kMainLevl), "+6 dB");
  e.setParameter(kMainLevl, 0.0f);
  EXPECT_EQ(display(e, kMainLevl), "-oo dB");
  e.setParameter(kMainLevl, 0.3f);  // gain 0.18: -14.9 dB truncates toward zero
  EXPECT_EQ(display(e, kMainLevl), "-14 dB");
}

TEST_F(Params, UnitDuraStoresTheRawValueAndEchoesTheStep) {
  e.setParameter(kUnitDura, 0.3f);
  EXPECT_EQ(e.getParameter(kUnitDura), 0.3f);
  EXPECT_EQ(echoed(kUnitDura), 0.25f);
  EXPECT_EQ(display(e, kUnitDura), "1/32");
  EXPECT_EQ(label(e, kUnitDura), " note");
  const char* texts[9] = {"keysplit", "1/64", "1/32", "1/16", "1/8", "1/4", "1/2", "1/1", "fullsize"};
  for (int step = 0; step <= 8; ++step) {
    e.setParameter(kUnitDura, (static_cast<float>(step) + 0.5f) / 8.0f);
    if (step == 8) e.setParameter(kUnitDura, 1.0f);
    EXPECT_EQ(display(e, kUnitDura), texts[step]) << step;
    EXPECT_EQ(label(e, kUnitDura), (step >= 1 && step <= 7) ? " note" : "") << step;
    EXPECT_EQ(echoed(kUnitDura), static_cast<float>(step) / 8.0f) << step;
  }
}

TEST_F(Params, EnvelopeIsFlooredButTheEchoCarriesTheValueGiven) {
  e.setParameter(kEnvelope, 0.001f);
  EXPECT_EQ(e.getParameter(kEnvelope), 0.01f);
  EXPECT_EQ(echoed(kEnvelope), 0.001f);
  EXPECT_EQ(display(e, kEnvelope), " 1 %");
  e.setParameter(kEnvelope, 0.5f);
  EXPECT_EQ(e.getParameter(kEnvelope), 0.5f);
  EXPECT_EQ(display(e, kEnvelope), " 50 %");
}

TEST_F(Params, ReleaseShowsSecondsOfTheFall) {
  e.setParameter(kRelease, 1.0f);
  EXPECT_EQ(display(e, kRelease), "0.17 ");
  EXPECT_EQ(label(e, kRelease), " sec");
  e.setParameter(kRelease, 0.1f);
  EXPECT_EQ(display(e, kRelease), "1.67 ");
  e.setParameter(kRelease, 0.0f);
  EXPECT_EQ(display(e, kRelease), "infinite");
  EXPECT_EQ(label(e, kRelease), "");
}

TEST_F(Params, SwitchesAndBufstartDisplay) {
  e.setParameter(kTrigmode, 1.0f);
  e.setParameter(kMove, 0.5f);
  e.setParameter(kBufstart, 0.259f);
  EXPECT_EQ(display(e, kTrigmode), "on");
  EXPECT_EQ(display(e, kMove), "on");
  EXPECT_EQ(display(e, kMorph), "off");
  EXPECT_EQ(display(e, kBufstart), " 25 %");
  EXPECT_EQ(e.getParameter(kBufstart), 0.259f);
  EXPECT_EQ(name(kFlood), "flood");
  EXPECT_EQ(label(e, kFlood), "");
  EXPECT_EQ(display(e, kFlood), "off");
}

TEST_F(Params, DelayDisplayInMillisecondsPerRange) {
  const char* expected[3] = {"16 ", "32 ", "80 "};
  for (int range = 0; range < 3; ++range) {
    e.setParameter(kDelayRange, static_cast<float>(range));
    e.setParameter(kDelay01 + 4, 0.08f);
    EXPECT_EQ(display(e, kDelay01 + 4), expected[range]) << range;
    EXPECT_EQ(label(e, kDelay01 + 4), "ms");
  }
  e.setParameter(kDelayRange, 0.0f);
  e.setParameter(kDelay01, 1.0f);
  EXPECT_EQ(display(e, kDelay01), "200 ");
}

TEST_F(Params, NamesOfTheParameterSpace) {
  const char* names[8] = {"mainLevl", "unitDura", "release", "envelope", "trigmode", "move", "morph", "bufstart"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(name(i), names[i]);
  EXPECT_EQ(name(8), "delay01");
  EXPECT_EQ(name(20), "delay13");
  EXPECT_EQ(name(39), "delay32");
  for (int i = 42; i <= 57; ++i) EXPECT_EQ(name(i), "copy") << i;
  for (int i = 58; i <= 73; ++i) EXPECT_EQ(name(i), "paste") << i;
}

TEST_F(Params, UnlistedIndicesLeaveTheTextUntouched) {
  for (int index : {-1, 40, 41, 74, 108, 109, 251, 252, 258, 260, 262, 264, 265, 266, 267, 268, 1000}) {
    Text t;
    EXPECT_FALSE(parameterName(index, t.buf)) << index;
    EXPECT_TRUE(t.untouched()) << "name " << index;
    EXPECT_FALSE(parameterLabel(e.state(), index, t.buf)) << index;
    EXPECT_TRUE(t.untouched()) << "label " << index;
    EXPECT_FALSE(parameterDisplay(e.state(), index, t.buf)) << index;
    EXPECT_TRUE(t.untouched()) << "display " << index;
  }
  for (int index : {42, 51, 57, 58, 67, 73}) {
    Text t;
    parameterLabel(e.state(), index, t.buf);
    EXPECT_TRUE(t.untouched()) << "copy and paste leave the label alone: " << index;
    EXPECT_EQ(display(e, index), "") << index;
  }
}

TEST_F(Params, EveryTextFitsInEightCharacters) {
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {0.0f, 1e-30f, -1e-30f, 1e-7f, 0.5f, 1.0f, 7.0f, 123456.0f, 1e30f, -1e30f, inf, -inf};
  for (int range : {0, 3}) {
    e.setParameter(kDelayRange, static_cast<float>(range));
    for (float v : values) {
      for (int index = 0; index < 40; ++index) e.setParameter(index, v);
      e.setParameter(kFlood, v);
      for (int index = -2; index < 300; ++index) {
        for (int kind = 0; kind < 3; ++kind) {
          Text t;
          if (kind == 0) parameterName(index, t.buf);
          if (kind == 1) parameterLabel(e.state(), index, t.buf);
          if (kind == 2) parameterDisplay(e.state(), index, t.buf);
          EXPECT_TRUE(t.untouched() || t.fits()) << "index " << index << " kind " << kind << " value " << v << " range "
                                                 << range << ": \"" << t.str() << "\"";
        }
      }
    }
  }
}

TEST_F(Params, InternalIndicesStoreOrOnlyEcho) {
  e.setParameter(kLoadAudioButton, 1.0f);
  e.setParameter(kSaveBankButton, 2.0f);
  e.setParameter(kMorphAlgorithm, 2.0f);
  e.setParameter(kBankMenuValue, 5.0f);
  e.setParameter(kEditorRefresh, 1.0f);
  e.setParameter(kEditorRedraw, 1.0f);
  e.setParameter(300, 3.0f);
  EXPECT_EQ(e.getParameter(kLoadAudioButton), 1.0f);
  EXPECT_EQ(e.getParameter(kSaveBankButton), 2.0f);
  EXPECT_EQ(e.getParameter(kMorphAlgorithm), 2.0f);
  EXPECT_EQ(e.getParameter(kBankMenuValue), 0.0f) << "the bank menu value is only echoed";
  EXPECT_EQ(e.getParameter(kEditorRefresh), 0.0f);
  EXPECT_EQ(e.getParameter(300), 0.0f);
  EXPECT_EQ(e.getParameter(40), 0.0f);
  EXPECT_EQ(echoed(kBankMenuValue), 5.0f);
  EXPECT_EQ(echoed(kEditorRedraw), 1.0f);
  EXPECT_EQ(echoed(300), 3.0f);
}

// Everything a parameter write could touch, bit for bit.
std::vector<uint32_t> fingerprint(Engine& e) {
  std::vector<uint32_t> f;
  auto add = [&f](float v) {
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    f.push_back(u);
  };
  const EngineState& s = e.state();
  for (int i = 0; i <= 300; ++i) {
    if (i != kPeakLevel) add(e.getParameter(i));
  }
  for (const KeyRow& r : s.rows) {
    for (int g = 0; g < 32; ++g) {
      add(r.delayValue[g]);
      add(r.delayTime[g]);
    }
    add(r.unitDura);
    add(r.release);
    add(r.envelope);
    f.push_back(static_cast<uint32_t>(r.grainLength));
  }
  for (int k = 0; k < kRowCount; ++k) {
    const Voice& v = e.voice(k);
    f.push_back(v.keyState);
    add(v.amplitude);
    add(v.releaseStep);
    for (int32_t c : v.schedule.countdown) f.push_back(static_cast<uint32_t>(c));
  }
  for (const auto& slot : s.copyBuffer) {
    for (float v : slot) add(v);
  }
  for (float v : s.options) add(v);
  for (int32_t v : {s.editRow, s.lastSelectedKey, s.playRow, s.keyCount, s.lowKey, s.highKey}) {
    f.push_back(static_cast<uint32_t>(v));
  }
  add(s.delayUnit);
  add(s.masterGain);
  add(s.editRowGrainLength);
  add(s.keySplitStart);
  f.push_back(s.buffer.left == s.buffer.storedLeft() ? 1u : 0u);
  return f;
}

TEST_F(Params, NaNWritesChangeNothingAtAnyIndex) {
  e.setParameter(kFlood, 1.0f);
  send(e, {noteOn(50, 100, 0), noteOn(60, 90, 0)});
  const std::vector<uint32_t> before = fingerprint(e);
  for (int index = -5; index <= 300; ++index) {
    e.setParameter(index, std::numeric_limits<float>::quiet_NaN());
    ASSERT_EQ(fingerprint(e), before) << "NaN written to index " << index;
  }
}

TEST_F(Params, HugeAndNegativeMenuValuesActLikeOutOfTableValues) {
  const float extremes[] = {1e30f, -1e30f, 4.0f, -1.0f, std::numeric_limits<float>::infinity()};
  for (float v : extremes) {
    SCOPED_TRACE(testing::Message() << "value " << v);
    e.setParameter(kDelayRange, 1.0f);
    e.setParameter(kKeyMapping, 5.0f);
    send(e, {noteOn(50, 100, 0)});
    e.setParameter(kDelayRange, v);
    EXPECT_EQ(e.state().delayUnit, 0.4f * 44100.0f) << "the unit stays";
    EXPECT_EQ(e.getParameter(kDelayRange), 1.0f) << "a value that names no entry is not stored";
    EXPECT_EQ(e.voice(50).keyState, kIdle) << "still silences";
    EXPECT_GT(e.state().rows[kMasterRow].grainLength, 0) << "still re-derives";

    send(e, {noteOn(50, 100, 0)});
    e.setParameter(kKeyMapping, v == 4.0f ? 7.0f : v);
    EXPECT_EQ(e.state().keyCount, 37);
    EXPECT_EQ(e.state().lowKey, 48);
    EXPECT_EQ(e.voice(50).keyState, kIdle);
    EXPECT_GT(e.state().rows[kMasterRow].grainLength, 0);

    const float before = e.state().copyBuffer[1][0];
    e.state().copyBuffer[1][0] = 0.123f;
    e.setParameter(kResetAction, v);
    EXPECT_EQ(e.state().copyBuffer[1][0], 0.123f) << "no Reset action runs";
    e.state().copyBuffer[1][0] = before;

    // A host parameter is clamped to 0..1: the grain length is fullsize or the key's slice.
    e.setParameter(kUnitDura, v);
    const float clamped = std::clamp(v, 0.0f, 1.0f);
    EXPECT_EQ(e.getParameter(kUnitDura), clamped);
    const EngineState& s = e.state();
    EXPECT_EQ(s.rows[kMasterRow].grainLength,
              clamped == 1.0f ? s.buffer.frameCount : static_cast<int32_t>(s.buffer.frameCountF / s.keyCount));
    e.setParameter(kUnitDura, 0.0f);
  }
}

}  // namespace
}  // namespace tarnwick::test
