// noteStart: a key row turned into the start, length, read position and fades of its 32 grains.
#include <algorithm>

#include "engine/Engine.h"
#include "engine/Numeric.h"

namespace tarnwick {

namespace {

// Sample count of one delay step; gaps are truncated one by one, then summed.
inline int64_t gap(float d, float unit) { return truncSaturate(d * unit); }

// Keeps a grain inside the buffer: too long grains are cut and read from 0, late ones move back.
inline void boundGrain(int64_t& readPos, int64_t& remaining, int64_t frames) {
  if (remaining > frames) {
    remaining = frames;
    readPos = 0;
  } else if (readPos + remaining > frames) {
    readPos = frames - remaining;
  }
  if (readPos < 0) readPos = 0;  // a negative move must not read before the buffer
}

inline void setFade(GrainSchedule& gs, int g, int32_t remaining, float envelope) {
  gs.fadeLength[g] = static_cast<float>(remaining) * 0.5f * envelope;
  gs.fadeInLeft[g] = truncSaturate(gs.fadeLength[g]);
}

// Fixed 220-sample fades of the trigger layout's lead-in and tail grains.
inline void setEdgeFade(GrainSchedule& gs, int g, int32_t remaining, bool leadIn) {
  if (remaining < 220) {
    const int32_t half = remaining / 2;
    gs.fadeLength[g] = static_cast<float>(half);
    gs.fadeInLeft[g] = half;
    if (leadIn && half < 1) {
      gs.fadeLength[g] = 2.0f;
      gs.fadeInLeft[g] = 0;
    }
  } else {
    gs.fadeLength[g] = kDefaultFadeLength;
    gs.fadeInLeft[g] = 220;
  }
}

}  // namespace

void Engine::noteStart(int32_t key, int32_t offset) {
  EngineState& s = *s_;
  if (!voices_ || key < 0 || key >= kKeyCount) return;
  Voice& v = voices_[key];
  // The key's own row: a loop re-trigger must not take the row of a note played since.
  const KeyRow& row = s.rows[s.masterEditMode() ? kMasterRow : key];
  const int32_t sliceStart = row.unitDura != 1.0f ? (s.buffer.frameCount / s.keyCount) * (key - s.lowKey) : 0;
  if (s.trigmode == 0.0f) {
    layoutNormal(v, row, sliceStart, offset);
  } else {
    layoutTrigger(v, row, sliceStart, offset);
  }
  if (s.morph != 0.0f) prepareMorph(v, sliceStart);
  for (int g = 0; g < kGrainCount; ++g) {
    if (row.delayTime[g] == 0.0f) v.schedule.countdown[g] = -1;  // a skipped bar silences its grain
  }
}

void Engine::layoutNormal(Voice& v, const KeyRow& row, int32_t sliceStart, int32_t offset) {
  const EngineState& s = *s_;
  GrainSchedule& gs = v.schedule;
  const int64_t F = s.buffer.frameCount;
  const float U = s.delayUnit;
  const float M = s.move;
  const float E = row.envelope;
  int64_t countdown = offset;
  int64_t readPos = sliceStart;
  int64_t remaining = row.grainLength;
  if (readPos + remaining > F) remaining = F - readPos;  // grain 0 is shortened, not moved
  gs.countdown[0] = clampToInt32(countdown);
  gs.remaining[0] = clampToInt32(remaining);
  gs.readPos[0] = clampToInt32(readPos);
  setFade(gs, 0, gs.remaining[0], E);
  for (int g = 1; g < kGrainCount; ++g) {
    const float d = row.delayTime[g - 1];
    countdown += gap(d, U);
    readPos += truncSaturate(d * U * M);
    remaining = row.grainLength;
    boundGrain(readPos, remaining, F);
    gs.countdown[g] = clampToInt32(countdown);
    gs.remaining[g] = clampToInt32(remaining);
    gs.readPos[g] = clampToInt32(readPos);
    setFade(gs, g, gs.remaining[g], E);
  }
  gs.loopCountdown() = clampToInt32(countdown + gap(row.delayTime[kGrainCount - 1], U));
}

void Engine::layoutTrigger(Voice& v, const KeyRow& row, int32_t sliceStart, int32_t offset) {
  const EngineState& s = *s_;
  GrainSchedule& gs = v.schedule;
  const int64_t F = s.buffer.frameCount;
  const int64_t S = sliceStart;
  const float U = s.delayUnit;
  const float M = s.move;
  const float E = row.envelope;
  const int64_t G = row.grainLength;

  // Lead-in grain 0 plays from the buffer start position up to the slice; a loop pass has none.
  int64_t P = truncSaturate(s.buffer.frameCountF * s.bufstart);
  int64_t leadRemaining;
  int64_t countdown;
  if (P > S || v.loopMark != 0) {
    P = S;
    leadRemaining = G;
    countdown = offset;
  } else {
    countdown = offset + (S - P);
    leadRemaining = (S - P) + G;
  }
  int64_t readPos = S;
  for (int g = 1; g < kGrainCount - 1; ++g) {
    const float d = row.delayTime[g - 1];
    countdown += gap(d, U);
    readPos += truncSaturate(M * d * U);
    int64_t remaining = G;
    boundGrain(readPos, remaining, F);
    gs.countdown[g] = clampToInt32(countdown);
    gs.remaining[g] = clampToInt32(remaining);
    gs.readPos[g] = clampToInt32(readPos);
    setFade(gs, g, gs.remaining[g], E);
  }

  // Tail grain 31 plays from one more step on to the end of the recording, without move.
  const int64_t lastGap = gap(row.delayTime[kGrainCount - 2], U);
  int64_t tailPos = gs.readPos[kGrainCount - 2] + lastGap;
  if (tailPos > F) tailPos = gs.readPos[kGrainCount - 2];
  gs.countdown[kGrainCount - 1] = clampToInt32(gs.countdown[kGrainCount - 2] + lastGap);
  gs.readPos[kGrainCount - 1] = clampToInt32(tailPos);
  gs.remaining[kGrainCount - 1] = clampToInt32(F - tailPos);
  setEdgeFade(gs, kGrainCount - 1, gs.remaining[kGrainCount - 1], false);

  gs.countdown[0] = v.loopMark != 0 ? -1 : offset;
  setEdgeFade(gs, 0, clampToInt32(leadRemaining), true);  // from the unbounded length
  int64_t leadPos = P;
  boundGrain(leadPos, leadRemaining, F);
  gs.readPos[0] = clampToInt32(leadPos);
  gs.remaining[0] = clampToInt32(leadRemaining);
}

void Engine::prepareMorph(Voice& v, int32_t sliceStart) {
  EngineState& s = *s_;
  GrainSchedule& gs = v.schedule;
  MorphState& m = *morph_;
  const int32_t a = std::clamp(truncToInt(s.trigmode), 0, kGrainCount / 2 - 1);
  const int32_t b = kGrainCount - 1 - a;
  const int64_t F = s.buffer.frameCount;
  const int64_t sourceLength = F + 1;  // with the guard sample
  if (v.loopMark == 0) {
    if (s.move == 0.0f) {
      // Without move every grain reads the same excerpt: endpoint b takes the one right after it.
      int64_t pos = static_cast<int64_t>(sliceStart) + gs.remaining[b];
      if (pos + gs.remaining[b] > F) pos = F - gs.remaining[b];
      gs.readPos[b] = clampToInt32(std::max<int64_t>(pos, 0));
    }
    m.analyseEndpoint(s.buffer.left, s.buffer.right, sourceLength, gs.readPos[a], gs.remaining[a], a, MorphSlot::kA);
    m.analyseEndpoint(s.buffer.left, s.buffer.right, sourceLength, gs.readPos[b], gs.remaining[b], b, MorphSlot::kB);
  }
  gs.readPos[a] = 0;
  m.morphStep = 1;
  s.options[kOptMorphGrainCount] = static_cast<float>(b - a + 1);
  const int32_t algorithm = truncToInt(s.options[kOptMorphAlgorithm]);
  for (int32_t g = a + 1; g < b; ++g) {
    if (v.loopMark == 0) m.synthesiseGrain(g, algorithm, s.options[kOptMorphGrainCount]);
    gs.readPos[g] = 0;
    if (gs.remaining[g] > kMorphGrainCapacity) gs.remaining[g] = kMorphGrainCapacity;
  }
  gs.readPos[b] = 0;
}

}  // namespace tarnwick
