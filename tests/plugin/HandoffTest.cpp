// The state hand-over on its own: whatever mix of small batches and whole states is shipped, and
// wherever the audio side takes them, it ends with exactly the shipped state; the user-interface side
// takes the published state over only once it includes every shipment.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "core/StateHandoff.h"
#include "engine/Engine.h"

namespace tarnwick {
namespace {

bool same(const EngineState& a, const EngineState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// New values for every delay of every row, as a restored session brings: too many words for a batch.
void writeEveryDelay(Engine& model, float value) {
  for (KeyRow& row : model.state().rows) {
    for (float& v : row.delayValue) v = value;
  }
  model.reapplyRows();
}

TEST(Handoff, TheAudioSideEndsWithEveryShipmentInOrder) {
  Engine model(nullptr, Engine::Role::kModel);
  auto shipped = std::make_unique<EngineState>(model.state());
  auto live = std::make_unique<EngineState>(model.state());
  StateHandoff handoff;
  std::mt19937 rng(3);
  for (int op = 0; op < 3000; ++op) {
    switch (rng() % 8) {
      case 0: model.setParameter(kKeyMapping, static_cast<float>(rng() % 7)); break;  // every row derived again
      case 1: model.setParameter(kEditMode, 0.0f); break;
      case 2: model.setParameter(kDelayRange, static_cast<float>(rng() % 4)); break;    // every row's delays
      case 3: writeEveryDelay(model, static_cast<float>(rng() % 100) / 100.0f); break;  // a whole state
      default:
        model.setParameter(static_cast<int32_t>(rng() % kHostParamCount), static_cast<float>(rng() % 100) / 100.0f);
        break;
    }
    const uint32_t number = handoff.ship(*shipped, model.state());
    *shipped = model.state();
    EXPECT_EQ(number, handoff.shipped());
    // The audio side takes what is there at random moments, sometimes after many shipments.
    if (rng() % 5 == 0) handoff.receive(*live);
  }
  handoff.receive(*live);
  EXPECT_TRUE(same(*live, model.state()));

  // Published back once everything is applied, the state is taken over; a newer shipment blocks that.
  live->lastSelectedKey = 77;  // as a note on the audio side would
  handoff.publish(*live);
  model.setParameter(kMainLevl, 0.25f);
  handoff.ship(*shipped, model.state());
  *shipped = model.state();
  EXPECT_FALSE(handoff.rebase(model.state()));
  handoff.receive(*live);
  handoff.publish(*live);
  EXPECT_TRUE(handoff.rebase(model.state()));
  EXPECT_EQ(model.state().lastSelectedKey, 77);
  EXPECT_EQ(model.state().mainLevl, 0.25f);
}

TEST(Handoff, ABatchShippedAfterAWholeStateWaitsForIt) {
  Engine model(nullptr, Engine::Role::kModel);
  auto shipped = std::make_unique<EngineState>(model.state());
  auto live = std::make_unique<EngineState>(model.state());
  StateHandoff handoff;
  writeEveryDelay(model, 0.3f);  // large: shipped whole
  handoff.ship(*shipped, model.state());
  *shipped = model.state();
  model.setParameter(kBufstart, 0.5f);  // small: a batch that builds on the whole state
  handoff.ship(*shipped, model.state());
  EXPECT_TRUE(handoff.receive(*live));
  EXPECT_TRUE(same(*live, model.state()));
  EXPECT_FALSE(handoff.receive(*live));  // nothing new
}

}  // namespace
}  // namespace tarnwick
