// The editor inside the instrument: the window follows the engine, and what the user does reaches the
// engine and, for the host's own parameters, the host.
#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>
#include <thread>
#include <tuple>

#include "core/EditorLink.h"
#include "gui/OptionMenuPopup.h"
#include "plugin/aPlug.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick::test {
namespace {

struct HostCall {
  int32_t opcode, index;
  float value;
  bool operator==(const HostCall&) const = default;
};

std::mutex gCallsMutex;
std::vector<HostCall> gCalls;
std::function<void()> gOnIdle;  // runs inside the host's idle, i.e. inside the editor's modal loops

intptr_t VSTCALLBACK recordingHost(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit ||
      opcode == audioMasterIdle) {
    {
      std::lock_guard<std::mutex> guard(gCallsMutex);
      gCalls.push_back({opcode, index, opt});
    }
    if (opcode == audioMasterIdle && gOnIdle) gOnIdle();
    return 0;
  }
  return InProcessHost::callback(e, opcode, index, value, ptr, opt);
}

struct InstrumentFixture : ::testing::Test {
  std::unique_ptr<aPlug> plug;
  ADEditor* editor = nullptr;
  platform::OffscreenWindow* window = nullptr;

  void TearDown() override { gOnIdle = nullptr; }
  void SetUp() override {
    gCalls.clear();
    plug = std::make_unique<aPlug>(recordingHost);
    editor = &plug->core().editorLink()->editor();
    auto w = std::make_unique<platform::OffscreenWindow>(554, 356);
    window = w.get();
    ASSERT_TRUE(editor->openOn(std::move(w)));
    window->setMouse(-20, -20, 0);
    editor->idle();
    gCalls.clear();
  }
  const EditorControls& c() const { return editor->controls(); }
  std::vector<HostCall> calls(int32_t opcode) {
    std::vector<HostCall> out;
    for (const HostCall& call : gCalls)
      if (call.opcode == opcode) out.push_back(call);
    return out;
  }
  void click(CCoord x, CCoord y, int32_t buttons = kLButton) {
    window->queueMouse(x, y, buttons);
    window->queueMouse(x, y, 0);
    editor->idle();
  }
  // Audio work on a thread of its own, as a host's audio thread (key -1: no note); peak: the output's
  // largest magnitude.
  void play(int32_t key, int32_t blocks, float* peak = nullptr) {
    std::thread audio([&] {
      MidiEvents events;
      events.add(0x90, key, 100);
      if (key >= 0) plug->processEvents(events.list());
      std::vector<float> l(512), r(512);
      float* out[2] = {l.data(), r.data()};
      float high = 0.0f;
      for (int b = 0; b < blocks; ++b) {
        plug->processReplacing(nullptr, out, 512);
        for (int i = 0; i < 512; ++i) high = std::max({high, std::fabs(l[i]), std::fabs(r[i])});
      }
      if (peak) *peak = high;
    });
    audio.join();
  }

  struct MidiEvents {
    VstMidiEvent event{};
    struct {
      int32_t numEvents = 1;
      intptr_t reserved = 0;
      VstEvent* events[2] = {};
    } list_;
    void add(int status, int key, int velocity) {
      event.type = kVstMidiType;
      event.byteSize = sizeof(VstMidiEvent);
      event.midiData[0] = static_cast<char>(status);
      event.midiData[1] = static_cast<char>(key);
      event.midiData[2] = static_cast<char>(velocity);
      list_.events[0] = reinterpret_cast<VstEvent*>(&event);
    }
    const VstEvents* list() { return reinterpret_cast<const VstEvents*>(&list_); }
  };
};

TEST_F(InstrumentFixture, UserChangesReachTheEngineAndHostParametersTheHost) {
  // Knob: 20 pixels up in linear mode from the factory level.
  const float level = plug->getParameter(kMainLevl);
  window->queueMouse(494, 314, kLButton);
  window->queueMouse(494, 304, kLButton);
  window->queueMouse(494, 294, kLButton);
  window->queueMouse(494, 294, 0);
  editor->idle();
  EXPECT_FLOAT_EQ(plug->getParameter(kMainLevl), std::min(level + 0.1f, 1.0f));
  const auto automate = calls(audioMasterAutomate);
  ASSERT_FALSE(automate.empty());
  EXPECT_EQ(automate.back().index, kMainLevl);
  EXPECT_EQ(calls(audioMasterBeginEdit), (std::vector<HostCall>{{audioMasterBeginEdit, 0, 0.0f}}));
  EXPECT_EQ(calls(audioMasterEndEdit), (std::vector<HostCall>{{audioMasterEndEdit, 0, 0.0f}}));
  EXPECT_FALSE(calls(audioMasterIdle).empty());  // the drag let the host idle

  // A bar through the overlay: the engine's delay changes; the host hears of index 12 only, as one
  // gesture (the overlay's own tag 41 is no host parameter).
  gCalls.clear();
  click(15 + 14 * 4 + 3, 137 + 71);
  EXPECT_FLOAT_EQ(plug->getParameter(12), 0.5f);
  EXPECT_EQ(calls(audioMasterAutomate), (std::vector<HostCall>{{audioMasterAutomate, 12, 0.5f}}));
  EXPECT_EQ(calls(audioMasterBeginEdit), (std::vector<HostCall>{{audioMasterBeginEdit, 12, 0.0f}}));
  EXPECT_EQ(calls(audioMasterEndEdit), (std::vector<HostCall>{{audioMasterEndEdit, 12, 0.0f}}));

  // A stroke across three bars: each bar's gesture begins when the stroke reaches it, and all end with it.
  gCalls.clear();
  window->queueMouse(15 + 14 * 4 + 3, 137 + 71, kLButton);
  window->queueMouse(15 + 14 * 5 + 3, 137 + 60, kLButton);
  window->queueMouse(15 + 14 * 6 + 3, 137 + 50, kLButton);
  window->queueMouse(15 + 14 * 6 + 3, 137 + 50, 0);
  editor->idle();
  std::vector<int32_t> order;
  for (const HostCall& call : gCalls) {
    if (call.opcode == audioMasterBeginEdit) order.push_back(call.index);
    if (call.opcode == audioMasterEndEdit) order.push_back(-call.index);
  }
  EXPECT_EQ(order, (std::vector<int32_t>{12, 13, 14, -12, -13, -14}));

  // Flood is automated in the engine but not reported: the host has 40 parameters.
  gCalls.clear();
  click(100, 45);
  EXPECT_EQ(plug->getParameter(kFlood), 0.0f);  // no recording loaded: flood stays off
  click(330, 46);
  EXPECT_EQ(plug->getParameter(kMove), 1.0f);
  for (const HostCall& call : calls(audioMasterAutomate)) EXPECT_LT(call.index, 40);
  editor->idle();
  EXPECT_EQ(c().flood->getValue(), 0.0f);  // the engine's answer came back through the echo
  EXPECT_EQ(c().move->getValue(), 1.0f);
}

TEST_F(InstrumentFixture, EngineWritesShowAtTheNextIdle) {
  plug->setParameter(12, 0.3f);
  plug->setParameter(kBufstart, 0.75f);
  EXPECT_NE(c().bars[4]->getValue(), 0.3f);
  editor->idle();
  EXPECT_FLOAT_EQ(c().bars[4]->getValue(), 0.3f);
  EXPECT_FLOAT_EQ(c().bufferStart->getValue(), 0.75f);
  // The engine limits delays below 0.08 (other than 0): the window shows the engine's value.
  plug->setParameter(13, 0.01f);
  editor->idle();
  EXPECT_FLOAT_EQ(c().bars[5]->getValue(), 0.08f);
}

TEST_F(InstrumentFixture, ModeSwitchAndNotesMoveTheEditRow) {
  const std::string wav = writeTestWav("editor-rows.wav", 44100);
  ASSERT_EQ(plug->core().loadAudioFile(wav.c_str()), 0);
  plug->setParameter(kKeyMapping, 3.0f);  // 61 keys from C1
  editor->idle();
  EXPECT_STREQ(c().keyLabel->getText(), "MASTER");
  click(500, 20);  // the key label: Single Key Edit Mode
  EXPECT_STREQ(c().status->getText(), "Single Key Edit Mode");
  editor->idle();
  EXPECT_EQ(editor->shownEditRow(), 36);
  EXPECT_STREQ(c().keyLabel->getText(), "C 1");
  play(60, 2);
  editor->idle();
  EXPECT_EQ(editor->shownEditRow(), 60);
  EXPECT_STREQ(c().keyLabel->getText(), "C 3");
  click(500, 20);
  EXPECT_STREQ(c().status->getText(), "Master Edit Mode");
  editor->idle();
  EXPECT_STREQ(c().keyLabel->getText(), "MASTER");
}

TEST_F(InstrumentFixture, MeterShowsTheRenderedPeak) {
  const std::string wav = writeTestWav("editor-meter.wav", 44100);
  ASSERT_EQ(plug->core().loadAudioFile(wav.c_str()), 0);
  editor->idle();
  EXPECT_TRUE(c().wave->getSummary().present);
  float peak = 0.0f;
  play(60, 40, &peak);
  ASSERT_GT(peak, 0.0f);
  editor->idle();
  EXPECT_FLOAT_EQ(c().meter->getValue(), peak);
  EXPECT_EQ(c().meter->getLitLeds(), std::min(24, static_cast<int>(24.0f * peak + 0.5f)));
  EXPECT_EQ(plug->core().editorLink()->readPeakLevel(), 0.0f);  // read and cleared
}

TEST_F(InstrumentFixture, MenuPicksSetTheEngineOptionsAndMoveTheCheckMark) {
  const float factoryRange = plug->getParameter(kDelayRange);
  ASSERT_NE(factoryRange, 3.0f);
  EXPECT_TRUE(c().delayRange->isCheckEntry(static_cast<int32_t>(factoryRange)));
  // Main menu open, hover "Delay fader range": its submenu opens beside it; note where.
  const CCoord rootRow0 = 55 + popupRowTop(c().mainMenu, 0) + 8;
  CCoord subX = -1, subY = -1;
  gOnIdle = [&] {
    if (window->popupCount() == 2) {
      subX = window->popup(1).x;
      subY = window->popup(1).y;
    }
  };
  window->queueMouse(500, 45, kLButton);
  window->queueMouse(500, 45, 0);
  window->queueMouse(500, rootRow0, 0);
  editor->idle();  // the script ends, which cancels
  ASSERT_GE(subX, 0);
  EXPECT_EQ(plug->getParameter(kDelayRange), factoryRange);

  // Again, and pick " quantized to tempo".
  const CCoord x = subX + 30, y = subY + popupRowTop(c().delayRange, 3) + 8;
  for (const auto& [px, py, b] : {std::tuple<int, int, int>{500, 45, kLButton},
                                  {500, 45, 0},
                                  {500, rootRow0, 0},
                                  {x, rootRow0, 0},
                                  {x, y, 0},
                                  {x, y, kLButton},
                                  {x, y, 0}}) {
    window->queueMouse(px, py, b);
  }
  editor->idle();
  EXPECT_EQ(plug->getParameter(kDelayRange), 3.0f);
  editor->idle();
  EXPECT_TRUE(c().delayRange->isCheckEntry(3));
  EXPECT_FALSE(c().delayRange->isCheckEntry(static_cast<int32_t>(factoryRange)));

  // "About" in the main menu opens the about screen.
  const CCoord aboutRow = 55 + popupRowTop(c().mainMenu, 6) + 8;
  for (const auto& [px, py, b] : {std::tuple<int, int, int>{500, 45, kLButton},
                                  {500, 45, 0},
                                  {500, aboutRow, 0},
                                  {500, aboutRow, kLButton},
                                  {500, aboutRow, 0}}) {
    window->queueMouse(px, py, b);
  }
  editor->idle();
  EXPECT_EQ(c().about->getValue(), 1.0f);
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

// A click on the wave display: both its note-on and its note-off are queued before the render runs (a
// stopped host, a late window system); the key still sounds for a block, then it is released.
TEST_F(InstrumentFixture, AuditionedKeySoundsABlockEvenWhenItsReleaseIsAlreadyQueued) {
  const std::string wav = writeTestWav("audition.wav", 44100);
  ASSERT_EQ(plug->core().loadAudioFile(wav.c_str()), 0);
  plug->setParameter(kRelease, 1.0f);  // the fastest fall: 1/220 s
  editor->idle();
  const CRect& r = layout::kWaveDisplayRect;
  click(r.left + 265, 80);  // 61 keys from 36: the middle is key 66
  float first = 0.0f, later = 0.0f;
  play(-1, 1, &first);
  EXPECT_EQ(plug->core().playingEngineForTesting().voice(66).keyState, kHeld);
  play(-1, 40, &later);
  EXPECT_GT(first, 0.0f);
  EXPECT_EQ(plug->core().playingEngineForTesting().voice(66).keyState, kIdle);
  EXPECT_EQ(std::string(c().status->getText()), wav + " [1.000 sec audio] ");  // a click shows the audio line
}

}  // namespace
}  // namespace tarnwick::test
