// Host automation on the audio thread and a user-interface edit of another index at the same moment:
// both survive. The automated value is the playing engine's, and the model's after the next
// operation; every derived value is what the values each side holds give.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "engine/RowDerivation.h"
#include "engine/StateDerivation.h"
#include "plugin/aPlug.h"
#include "tests/plugin/AudioThread.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick {
namespace {

using test::AudioThread;
using test::InProcessHost;

void expectDerivedFromValues(const EngineState& s) {
  const RowContext context = rowContextOf(s);
  for (int32_t r = 0; r < kRowCount; ++r) {
    KeyRow row = s.rows[r];
    deriveRow(row, context);
    ASSERT_EQ(0, std::memcmp(&row, &s.rows[r], sizeof row)) << "row " << r;
  }
  EXPECT_EQ(s.editRowGrainLength, static_cast<float>(s.rows[s.editRow].grainLength));
  EXPECT_EQ(s.delayUnit, delayUnitOf(s));
  EXPECT_EQ(s.masterGain, mainGainOf(s.mainLevl));
}

// The playing engine holds what the host wrote and what follows from it; the next user-interface
// operation takes that state over whole.
void expectBothSidesHold(aPlug& plug, int32_t index, float written) {
  const EngineState& playing = plug.core().playingEngineForTesting().state();
  EXPECT_EQ(storedParameter(playing, index), written);
  expectDerivedFromValues(playing);
  EXPECT_EQ(plug.getParameter(index), written);
  EXPECT_EQ(0, std::memcmp(&plug.core().modelState(), &playing, sizeof playing));
}

// An editor that runs a job when the model echoes one index: in the middle of a user-interface
// operation, after the model has taken the playing state over and before the operation ships.
class InterleavingEditor final : public EditorSink {
 public:
  void setParameter(int32_t index, float) override {
    if (index != trigger || !job) return;
    const std::function<void()> run = std::move(job);
    job = nullptr;
    run();
  }
  int32_t trigger = -1;
  std::function<void()> job;
};

TEST(AutomationDuringEdits, AWriteOnTheAudioThreadInTheMiddleOfAnEditSurvivesIt) {
  struct Case {
    int32_t edited;
    float choice;
    int32_t automated;
    float value;
  };
  // Quantization turns on (every row's delays admitted again) while delay 1 is automated; the mapping
  // changes (every grain length derived again) while the grain length is.
  const Case cases[] = {{kDelayRange, 3.0f, kDelay01, 0.5f}, {kKeyMapping, 1.0f, kUnitDura, 0.375f}};
  InterleavingEditor editor;
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(test::writeTestWav("interleave.wav", 61 * 300).c_str()), 0);
  plug.core().setEditor(&editor);
  AudioThread audio;
  audio.play(plug, {});
  for (const Case& c : cases) {
    editor.trigger = c.edited;
    editor.job = [&] { audio.run([&] { plug.core().automate(c.automated, c.value); }); };
    plug.setParameter(c.edited, c.choice);
    ASSERT_FALSE(static_cast<bool>(editor.job)) << "the edit did not echo its index";
    audio.play(plug, {});
    expectBothSidesHold(plug, c.automated, c.value);
  }
}

TEST(AutomationDuringEdits, AutomationAndEditsOfOtherIndicesAtTheSameTimeBothSurvive) {
  aPlug plug(&InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(test::writeTestWav("concurrent.wav", 61 * 300).c_str()), 0);
  for (int round = 0; round < 200; ++round) {
    // Steps of the quantized range above the 0.08 floor: every range keeps them as written.
    const float delay = static_cast<float>(2 + round % 13) / 14.0f;
    const float length = static_cast<float>(round % 8) / 8.0f;
    std::atomic<bool> uiDone{false};
    std::thread host([&] {
      float left[256], right[256];
      float* outs[2] = {left, right};
      for (int block = 0; block < 4 || !uiDone.load(); ++block) {
        plug.processReplacing(nullptr, outs, 256);
        if (block == 1) {
          plug.setParameter(kDelay01, delay);
          plug.setParameter(kUnitDura, length);
        }
      }
      plug.processReplacing(nullptr, outs, 256);  // takes the last shipment
    });
    plug.setParameter(kDelayRange, round % 2 == 0 ? 3.0f : static_cast<float>(round % 3));
    plug.setParameter(kKeyMapping, static_cast<float>(round % 7));
    uiDone.store(true);
    host.join();
    expectBothSidesHold(plug, kDelay01, delay);
    EXPECT_EQ(plug.core().playingEngineForTesting().state().rows[kMasterRow].unitDura, length);
    if (HasFailure()) FAIL() << "round " << round;
  }
}

}  // namespace
}  // namespace tarnwick
