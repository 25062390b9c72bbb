// The level meter shows the output's peak as a meter does: the largest magnitude since the last look,
// held and falling back over time; while a click auditions a key, the meter and the wave display's grain
// window follow the sound at once.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/EditorLink.h"
#include "plugin/aPlug.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick::test {
namespace {

TEST(MeterLevel, HoldsThePeakAndFallsBackOverTime) {
  MeterLevel level;
  EXPECT_FLOAT_EQ(level.update(0.5f, 10.0), 0.5f);
  EXPECT_FLOAT_EQ(level.update(0.0f, 10.5), 0.2f);   // 0.6 per second, however seldom it is asked
  EXPECT_FLOAT_EQ(level.update(0.1f, 10.5), 0.2f);   // a lower peak does not pull it down
  EXPECT_FLOAT_EQ(level.update(0.0f, 10.4), 0.2f);   // a clock that steps back counts as no time
  EXPECT_FLOAT_EQ(level.update(0.0f, 100.0), 0.0f);  // never below silence
  EXPECT_FLOAT_EQ(level.update(NAN, 100.0), 0.0f);
  EXPECT_FLOAT_EQ(level.update(INFINITY, 100.0), MeterLevel::kCeiling);
}

std::function<void()> gOnMeterIdle;  // runs inside the host's idle, i.e. inside the editor's modal loops

intptr_t VSTCALLBACK idlingHost(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (opcode == audioMasterIdle && gOnMeterIdle) gOnMeterIdle();
  return InProcessHost::callback(e, opcode, index, value, ptr, opt);
}

struct MeterFixture : ::testing::Test {
  std::unique_ptr<aPlug> plug = std::make_unique<aPlug>(idlingHost);
  ADEditor* editor = &plug->core().editorLink()->editor();
  platform::OffscreenWindow* window = nullptr;

  void SetUp() override {
    auto w = std::make_unique<platform::OffscreenWindow>(554, 356);
    window = w.get();
    ASSERT_TRUE(editor->openOn(std::move(w)));
    window->setMouse(-20, -20, 0);
  }
  void TearDown() override { gOnMeterIdle = nullptr; }
  const EditorControls& c() const { return editor->controls(); }
  // Blocks rendered on a thread of its own, as a host's audio thread, after an optional note-on.
  void render(int32_t blocks, int32_t key = -1) {
    std::thread audio([&] {
      VstMidiEvent note{};
      note.type = kVstMidiType;
      note.byteSize = sizeof note;
      note.midiData[0] = static_cast<char>(0x90);
      note.midiData[1] = static_cast<char>(key);
      note.midiData[2] = 100;
      VstEvents list{};
      list.numEvents = 1;
      list.events[0] = reinterpret_cast<VstEvent*>(&note);
      if (key >= 0) plug->processEvents(&list);
      std::vector<float> l(512), r(512);
      float* out[2] = {l.data(), r.data()};
      for (int32_t b = 0; b < blocks; ++b) plug->processReplacing(nullptr, out, 512);
    });
    audio.join();
  }
};

// A recording whose every sample is negative sounds only below zero: the meter still shows it (the peak
// level of index 258 counts positive samples only).
TEST_F(MeterFixture, ShowsTheOutputsMagnitudeOfEitherSign) {
  ChannelPair below;
  below.frameCount = 44100;
  below.left.reset(new float[44101]);
  below.right.reset(new float[44101]);
  std::fill(below.left.get(), below.left.get() + 44101, -0.5f);
  std::fill(below.right.get(), below.right.get() + 44101, -0.5f);
  plug->core().modelForTesting().commitRecording(std::move(below), nullptr);
  plug->core().setParameter(kMainLevl, 0.5f);  // an operation: ships the recording
  render(20, 60);
  editor->idle();
  EXPECT_GT(c().meter->getValue(), 0.05f);
  EXPECT_EQ(plug->getParameter(kPeakLevel), 0.0f);
}

// While the mouse holds a key of the wave display, the editor's own idle does not run; the meter and the
// grain window still follow what the key plays.
TEST_F(MeterFixture, AuditioningMovesTheMeterAndTheGrainWindowWhileTheKeyIsHeld) {
  const std::string wav = writeTestWav("meter-audition.wav", 44100);
  ASSERT_EQ(plug->core().loadAudioFile(wav.c_str()), 0);
  editor->idle();
  const int32_t before = c().wave->getWindowX();
  const CCoord x = layout::kWaveDisplayRect.left + 400;  // key 96 of 128
  window->queueMouse(x, 80, kLButton);
  for (int i = 0; i < 20; ++i) window->queueMouse(x, 80, kLButton);
  window->queueMouse(x, 80, 0);
  int passes = 0;
  float meterHeld = 0.0f;
  int32_t windowHeld = before;
  gOnMeterIdle = [&] {
    render(1);
    if (++passes == 12) {
      meterHeld = c().meter->getValue();
      windowHeld = c().wave->getWindowX();
    }
  };
  editor->idle();  // the click auditions the key until the release
  gOnMeterIdle = nullptr;
  ASSERT_GE(passes, 12);
  EXPECT_GT(meterHeld, 0.0f);
  editor->idle();
  EXPECT_NE(c().wave->getWindowX(), before);
  EXPECT_EQ(windowHeld, c().wave->getWindowX());
}

}  // namespace
}  // namespace tarnwick::test
