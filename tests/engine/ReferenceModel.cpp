// The reference model: every rule spelled out one sample and one grain at a time.
#include "ReferenceModel.h"

#include <cmath>
#include <cstdint>

namespace tarnwick::test {

namespace {

// Beats of the fifteen quantized delay steps, and of the grain-length steps 1..7.
const float kStepBeats[15] = {0.0f, 0.0208333f, 0.0625f, 0.0833333f, 0.125f, 0.1666667f, 0.25f, 0.3333333f,
                              0.5f, 0.6666667f, 1.0f,    1.3333334f, 2.0f,   2.6666667f, 4.0f};
const float kLengthBeats[8] = {0.0f, 0.0625f, 0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f};

struct Mapping {
  int keyCount, lowKey, highKey;
};
const Mapping kMappings[7] = {{128, 0, 127}, {88, 21, 108}, {76, 28, 103}, {61, 36, 96},
                              {49, 36, 84},  {37, 48, 84},  {25, 48, 72}};

// Truncation toward zero; out-of-range values saturate and NaN gives 0.
int64_t trunc(float x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0f) return 2147483647;
  if (x <= -2147483647.0f) return -2147483647;
  return static_cast<int64_t>(x);
}

int32_t toInt32(int64_t v) {
  if (v > 2147483647) return 2147483647;
  if (v < -2147483647) return -2147483647;
  return static_cast<int32_t>(v);
}

// Too long grains are cut to the recording and read from 0; late ones move back to end at F.
void bound(int64_t& readPos, int64_t& remaining, int64_t F) {
  if (remaining > F) {
    remaining = F;
    readPos = 0;
  } else if (readPos + remaining > F) {
    readPos = F - remaining;
  }
}

}  // namespace

ReferenceModel::ReferenceModel() {
  for (ModelRow& r : rows) {
    for (int g = 0; g < kModelGrains; ++g) r.delayValue[g] = r.delayTime[g] = 0.8f;
  }
  silenceAll();
}

void ReferenceModel::setRecording(const float* l, const float* r, int32_t frames) {
  left = l;
  right = r;
  frameCount = frames;
}

void ReferenceModel::setSampleRate(float rate) {
  sampleRate = rate;
  setRange(range);
}

void ReferenceModel::setRange(int value) {
  range = value;
  switch (value) {
    case 0: delayUnit = 0.2f * sampleRate; break;
    case 1: delayUnit = 0.4f * sampleRate; break;
    case 2: delayUnit = 1.0f * sampleRate; break;
    case 3: delayUnit = 60.0f * sampleRate / static_cast<float>(tempo); break;
    default: break;
  }
}

void ReferenceModel::setMapping(int mapping) {
  if (mapping < 0 || mapping > 6) return;
  keyCount = kMappings[mapping].keyCount;
  lowKey = kMappings[mapping].lowKey;
  highKey = kMappings[mapping].highKey;
}

void ReferenceModel::writeDelay(int row, int grain, float v) {
  ModelRow& r = rows[row];
  if (range == 3) {
    int64_t q = trunc(14.0f * v);
    if (q < 0) q = 0;
    if (q > 14) q = 14;
    v = static_cast<float>(q) / 14.0f;
    r.delayTime[grain] = kStepBeats[q];
  } else {
    if (v != 0.0f && v < 0.08f) v = 0.08f;
    r.delayTime[grain] = v;
  }
  r.delayValue[grain] = v;
}

void ReferenceModel::writeUnitDura(int row, float v) {
  ModelRow& r = rows[row];
  r.unitDura = v;
  const int64_t step = trunc(8.0f * v);
  if (step == 0) {
    r.grainLength = toInt32(trunc(static_cast<float>(frameCount) / static_cast<float>(keyCount)));
  } else if (step >= 1 && step <= 7) {
    r.grainLength = toInt32(trunc(kLengthBeats[step] * 60.0f * sampleRate / static_cast<float>(tempo)));
  } else if (step == 8) {
    r.grainLength = frameCount;
  } else {
    r.grainLength = 0;
  }
}

void ReferenceModel::reapplyRow(int row) {
  writeUnitDura(row, rows[row].unitDura);
  for (int g = 0; g < kModelGrains; ++g) writeDelay(row, g, rows[row].delayValue[g]);
}

void ReferenceModel::silenceAll() {
  for (int k = 0; k < kModelRows; ++k) {
    ModelVoice& v = voices[k];
    for (int g = 0; g < kModelGrains; ++g) {
      v.grains.countdown[g] = -1;
      v.grains.remaining[g] = 0;
      v.grains.readPos[g] = 0;
      v.grains.fadeInLeft[g] = 0;
      v.grains.fadeLength[g] = 220.0f;
    }
    v.grains.loopCountdown = -1;
    v.keyState = kModelIdle;
    v.loopMark = 0;
    v.velocity = 0;
    v.amplitude = 0.0f;
    v.releaseStep = 0.0f;
    rows[k].grainLength = 0;
  }
}

void ReferenceModel::cutAllGrains() {
  for (ModelVoice& v : voices) {
    for (int g = 0; g < kModelGrains; ++g) v.grains.countdown[g] = -1;
    v.grains.loopCountdown = -1;
  }
}

void ReferenceModel::processEvents(const MidiMessage* messages, int count) {
  if (frameCount == 0) return;
  for (int i = 0; i < count; ++i) {
    const MidiMessage& m = messages[i];
    const int status = m.status & 0xF0;
    const int data1 = m.data1 & 0x7F;
    const int data2 = m.data2 & 0x7F;
    if (status == 0x90 && data2 != 0) {
      noteOn(data1, data2, m.deltaFrames);
    } else if (status == 0x80 || (status == 0x90 && data2 == 0)) {
      noteOff(data1);
    } else if (status == 0xB0 && (data1 == 123 || data1 == 126)) {
      cutAllGrains();
    }
  }
}

void ReferenceModel::noteOn(int key, int velocity, int32_t delta) {
  if (key < lowKey || key > highKey) return;
  if (morph != 0.0f) {
    cutAllGrains();
    for (ModelVoice& v : voices) v.keyState = kModelIdle;
  }
  playRow = masterEditMode ? kModelMasterRow : key;
  lastSelectedKey = key;
  ModelVoice& v = voices[key];
  v.velocity = velocity;
  v.keyState = kModelHeld;
  v.amplitude = static_cast<float>(velocity) / 127.0f;
  v.releaseStep = 0.0f;
  noteStart(key, delta);
}

void ReferenceModel::noteOff(int key) {
  playRow = masterEditMode ? kModelMasterRow : key;
  if (key < lowKey || key > highKey) return;
  ModelVoice& v = voices[key];
  float r = rows[playRow].release;
  if (r < 0.0f) r = 0.0f;  // a negative release holds the level like release 0
  if (r == 1.0f) {
    v.releaseStep = v.amplitude / sampleRate * 220.0f;
  } else {
    v.releaseStep = v.amplitude / sampleRate * r * 6.0f;
  }
  if (v.keyState == kModelHeld) v.keyState = kModelReleased;
}

void ReferenceModel::noteStart(int key, int32_t offset) {
  // The looping key's own row in Single Key Edit Mode, the master row otherwise.
  const ModelRow& row = rows[masterEditMode ? kModelMasterRow : key];
  const int64_t F = frameCount;
  const int64_t S = row.unitDura != 1.0f ? (F / keyCount) * (key - lowKey) : 0;
  if (trigmode == 0.0f) {
    layoutNormal(key, row, S, offset);
  } else {
    layoutTrigger(key, row, S, offset);
  }
  for (int g = 0; g < kModelGrains; ++g) {
    if (row.delayTime[g] == 0.0f) voices[key].grains.countdown[g] = -1;
  }
}

void ReferenceModel::layoutNormal(int key, const ModelRow& row, int64_t S, int32_t offset) {
  ModelSchedule& s = voices[key].grains;
  const int64_t F = frameCount;
  const int64_t G = row.grainLength;
  const float U = delayUnit;
  const float M = move;
  const float E = row.envelope;
  int64_t cd[kModelGrains], rem[kModelGrains], rp[kModelGrains];
  cd[0] = offset;
  rem[0] = G;
  rp[0] = S;
  if (rp[0] + rem[0] > F) rem[0] = F - rp[0];
  for (int g = 1; g < kModelGrains; ++g) {
    const float d = row.delayTime[g - 1];
    cd[g] = trunc(d * U) + cd[g - 1];
    rem[g] = G;
    rp[g] = trunc(d * U * M) + rp[g - 1];
    bound(rp[g], rem[g], F);
  }
  for (int g = 0; g < kModelGrains; ++g) {
    s.countdown[g] = toInt32(cd[g]);
    s.remaining[g] = toInt32(rem[g]);
    s.readPos[g] = toInt32(rp[g]);
    s.fadeLength[g] = static_cast<float>(s.remaining[g]) * 0.5f * E;
    s.fadeInLeft[g] = toInt32(trunc(s.fadeLength[g]));
  }
  s.loopCountdown = trunc(row.delayTime[31] * U) + cd[31];
}

void ReferenceModel::layoutTrigger(int key, const ModelRow& row, int64_t S, int32_t offset) {
  ModelVoice& v = voices[key];
  ModelSchedule& s = v.grains;
  const int64_t F = frameCount;
  const int64_t G = row.grainLength;
  const float U = delayUnit;
  const float M = move;
  const float E = row.envelope;
  const float* d = row.delayTime;

  int64_t P = trunc(static_cast<float>(F) * bufstart);
  int64_t leadCountdown, leadRemaining;
  if (P > S || v.loopMark != 0) {
    P = S;
    leadRemaining = G;
    leadCountdown = offset;
  } else {
    leadCountdown = offset + (S - P);
    leadRemaining = (S - P) + G;
  }
  int64_t prevCountdown = leadCountdown;
  int64_t prevReadPos = S;
  for (int g = 1; g <= 30; ++g) {
    int64_t cd = trunc(d[g - 1] * U) + prevCountdown;
    int64_t rem = G;
    int64_t rp = trunc(M * d[g - 1] * U) + prevReadPos;
    bound(rp, rem, F);
    s.countdown[g] = toInt32(cd);
    s.remaining[g] = toInt32(rem);
    s.readPos[g] = toInt32(rp);
    s.fadeLength[g] = static_cast<float>(s.remaining[g]) * 0.5f * E;
    s.fadeInLeft[g] = toInt32(trunc(s.fadeLength[g]));
    prevCountdown = cd;
    prevReadPos = rp;
  }

  // Tail grain: one more step on, without move, to the end of the recording.
  s.countdown[31] = toInt32(trunc(d[30] * U) + s.countdown[30]);
  int64_t tail = trunc(d[30] * U) + s.readPos[30];
  if (tail > F) tail = s.readPos[30];
  s.readPos[31] = toInt32(tail);
  s.remaining[31] = toInt32(F - tail);
  if (s.remaining[31] < 220) {
    s.fadeLength[31] = static_cast<float>(s.remaining[31] / 2);
    s.fadeInLeft[31] = s.remaining[31] / 2;
  } else {
    s.fadeLength[31] = 220.0f;
    s.fadeInLeft[31] = 220;
  }

  // Lead-in grain: fades from its unbounded length, bounds only afterwards.
  s.countdown[0] = v.loopMark != 0 ? -1 : offset;
  int64_t leadPos = P;
  if (leadRemaining < 220) {
    const int64_t half = leadRemaining / 2;
    s.fadeLength[0] = static_cast<float>(half);
    s.fadeInLeft[0] = toInt32(half);
    if (half < 1) {
      s.fadeLength[0] = 2.0f;
      s.fadeInLeft[0] = 0;
    }
  } else {
    s.fadeLength[0] = 220.0f;
    s.fadeInLeft[0] = 220;
  }
  bound(leadPos, leadRemaining, F);
  s.readPos[0] = toInt32(leadPos);
  s.remaining[0] = toInt32(leadRemaining);
}

float ReferenceModel::source(const float* channel, int64_t pos) const {
  // Never outside the recording (its guard sample included).
  if (pos < 0 || pos > frameCount) return 0.0f;
  return channel[pos];
}

void ReferenceModel::render(float* outL, float* outR, int32_t n, const double* hostTempo) {
  for (int32_t i = 0; i < n; ++i) outL[i] = outR[i] = 0.0f;
  if (!left || !right) return;
  if (range == 3 && hostTempo) {
    tempo = *hostTempo;
    delayUnit = sampleRate * 60.0f / static_cast<float>(tempo);
  }
  for (int k = lowKey; k <= highKey; ++k) voices[k].loopMark = 0;
  for (int k = lowKey; k <= highKey; ++k) {
    if (voices[k].keyState != kModelIdle) renderKey(k, outL, outR, n);
  }
  for (int32_t i = 0; i < n; ++i) {
    outL[i] = outL[i] * masterGain;
    if (outL[i] > peakLevel) peakLevel = outL[i];
    outR[i] = outR[i] * masterGain;
    if (outR[i] > peakLevel) peakLevel = outR[i];
  }
}

void ReferenceModel::play(int key, int g, int32_t i, int64_t count, int64_t c, float a, float s, float* outL,
                          float* outR) {
  ModelSchedule& gs = voices[key].grains;
  for (int64_t j = 0; j < count; ++j) {
    float gain;
    if (gs.fadeInLeft[g] != 0) {
      if (key == lastSelectedKey) playingGrain = g;
      gs.fadeInLeft[g] -= 1;
      gain = 1.0f - static_cast<float>(gs.fadeInLeft[g]) / gs.fadeLength[g];
    } else if (gs.fadeLength[g] > static_cast<float>(c)) {
      gain = static_cast<float>(c) / gs.fadeLength[g];
    } else {
      gain = 1.0f;
    }
    c -= 1;
    outL[i] += source(left, gs.readPos[g]) * a * gain;
    outR[i] += source(right, gs.readPos[g]) * a * gain;
    i += 1;
    gs.readPos[g] += 1;
    gs.remaining[g] -= 1;
    a = a - s;
  }
}

void ReferenceModel::renderKey(int key, float* outL, float* outR, int32_t n) {
  ModelVoice& v = voices[key];
  ModelSchedule& gs = v.grains;
  const int loopGrain = trigmode != 0.0f ? 30 : 31;
  int inactive = 0;
  for (int g = 0; g < kModelGrains; ++g) {
    const int32_t w = gs.countdown[g];
    int64_t L = gs.remaining[g];
    if (w < 0) {
      ++inactive;
      continue;
    }
    float a = v.amplitude;
    const float s = v.releaseStep;
    if (w >= n) {
      gs.countdown[g] = w - n;
      continue;
    }
    if (w + L <= n) {
      const int64_t c = L;
      if (a < static_cast<float>(L) * s) L = trunc(a / s);
      play(key, g, w, L, c, a, s, outL, outR);
      gs.countdown[g] = -1;
      if (g == loopGrain && v.keyState == kModelHeld && v.loopMark == 0 && morph == 0.0f) {
        v.loopMark = 1;
        ++retriggers;
        const int64_t at = gs.loopCountdown > 0 ? gs.loopCountdown : 0;
        noteStart(key, toInt32(at));
        break;
      }
    } else {
      a = a - static_cast<float>(w) * s;
      int64_t count;
      if (a < static_cast<float>(n - w) * s) {
        for (int j = g; j < kModelGrains; ++j) gs.countdown[j] = -1;
        count = trunc(a / s);
      } else {
        gs.countdown[g] = 0;
        count = n - w;
      }
      play(key, g, w, count, L, a, s, outL, outR);
    }
  }
  if (v.keyState == kModelReleased) {
    v.amplitude = v.amplitude - static_cast<float>(n) * v.releaseStep;
    if (v.amplitude < 0.0f) v.amplitude = 0.0f;
  }
  gs.loopCountdown -= n;
  if (v.loopMark > 0) {
    v.loopMark = -1;
    renderKey(key, outL, outR, n);
    return;
  }
  if (inactive == kModelGrains && v.keyState != kModelHeld) v.keyState = kModelIdle;
}

}  // namespace tarnwick::test
