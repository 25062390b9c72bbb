// The lock-step driver of engine and reference model.
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace tarnwick::test {

Harness::Harness(const Scene& s) {
  clock.tempo = s.tempo;
  ChannelPair recording = makeRecording(s.frames);
  left.assign(recording.left.get(), recording.left.get() + s.frames + 1);
  right.assign(recording.right.get(), recording.right.get() + s.frames + 1);
  engine.replaceBuffer(std::move(recording));
  engine.resume(s.sampleRate);
  engine.setParameter(kDelayRange, static_cast<float>(s.range));
  engine.setParameter(kKeyMapping, static_cast<float>(s.mapping));
  if (s.singleKeyMode) engine.setParameter(kEditMode, 1.0f);
  engine.setParameter(kTrigmode, s.trigmode);
  engine.setParameter(kMove, s.move);
  engine.setParameter(kBufstart, s.bufstart);
  engine.setParameter(kMainLevl, s.mainLevl);

  model.setRecording(left.data(), right.data(), s.frames);
  model.tempo = s.tempo;
  model.setSampleRate(s.sampleRate);
  model.setRange(s.range);
  model.setMapping(s.mapping);
  model.masterEditMode = !s.singleKeyMode;
  model.trigmode = s.trigmode;
  model.move = s.move;
  model.bufstart = s.bufstart;
  model.setMainLevl(s.mainLevl);
  model.lastSelectedKey = s.singleKeyMode ? model.lowKey : 36;

  if (!s.singleKeyMode) {
    applyRow(kModelMasterRow, s.master);
  } else {
    for (const auto& [key, settings] : s.keyRows) {
      engine.selectKey(key);
      applyRow(key, settings);
      model.lastSelectedKey = key;
    }
  }
  EXPECT_EQ(engine.state().lastSelectedKey, model.lastSelectedKey);
}

void Harness::applyRow(int row, const RowSettings& settings) {
  engine.setParameter(kUnitDura, settings.unitDura);
  engine.setParameter(kRelease, settings.release);
  engine.setParameter(kEnvelope, settings.envelope);
  model.writeUnitDura(row, settings.unitDura);
  model.writeRelease(row, settings.release);
  model.writeEnvelope(row, settings.envelope);
  for (int i = 0; i < 32; ++i) {
    engine.setParameter(kDelay01 + i, settings.delays[static_cast<size_t>(i)]);
    model.writeDelay(row, i, settings.delays[static_cast<size_t>(i)]);
  }
  // The two derivations must agree before any sound is compared.
  const KeyRow& r = engine.state().rows[row];
  EXPECT_EQ(r.grainLength, model.rows[row].grainLength) << "row " << row;
  for (int i = 0; i < 32; ++i) EXPECT_EQ(r.delayTime[i], model.rows[row].delayTime[i]) << "row " << row;
}

bool Harness::compareState(int key, int64_t block, std::string& why) {
  const Voice& ev = engine.voice(key);
  const ModelVoice& mv = model.voices[key];
  std::ostringstream o;
  o << "block " << block << " key " << key << ": ";
  if (ev.keyState != mv.keyState) {
    o << "keyState " << int(ev.keyState) << " vs " << mv.keyState;
  } else if (ev.amplitude != mv.amplitude) {
    o << "amplitude " << ev.amplitude << " vs " << mv.amplitude;
  } else if (ev.releaseStep != mv.releaseStep) {
    o << "releaseStep " << ev.releaseStep << " vs " << mv.releaseStep;
  } else if (ev.loopMark != mv.loopMark) {
    o << "loopMark " << ev.loopMark << " vs " << mv.loopMark;
  } else if (ev.schedule.loopCountdown() != mv.grains.loopCountdown) {
    o << "loopCountdown " << ev.schedule.loopCountdown() << " vs " << mv.grains.loopCountdown;
  } else {
    for (int g = 0; g < 32; ++g) {
      const GrainSchedule& e = ev.schedule;
      const ModelSchedule& m = mv.grains;
      if (e.countdown[g] != m.countdown[g] ||
          (m.countdown[g] >= 0 &&
           (e.remaining[g] != m.remaining[g] || e.readPos[g] != m.readPos[g] || e.fadeInLeft[g] != m.fadeInLeft[g]))) {
        o << "grain " << g << " countdown/remaining/readPos/fadeInLeft " << e.countdown[g] << "/" << e.remaining[g]
          << "/" << e.readPos[g] << "/" << e.fadeInLeft[g] << " vs " << m.countdown[g] << "/" << m.remaining[g] << "/"
          << m.readPos[g] << "/" << m.fadeInLeft[g];
        why = o.str();
        return false;
      }
    }
    return true;
  }
  why = o.str();
  return false;
}

RunStats Harness::run(const std::vector<TimedEvent>& eventsIn, int64_t total, const std::vector<int32_t>& blocks,
                      const std::vector<TempoChange>& tempoIn, const NextBlockEvents& next) {
  RunStats st;
  std::vector<TimedEvent> events(eventsIn);
  std::stable_sort(events.begin(), events.end(), [](const TimedEvent& a, const TimedEvent& b) { return a.at < b.at; });
  std::vector<TempoChange> tempo(tempoIn);
  std::stable_sort(tempo.begin(), tempo.end(), [](const TempoChange& a, const TempoChange& b) { return a.at < b.at; });
  keysOfInterest_.clear();
  for (const TimedEvent& e : events) {
    const int key = e.message.data1 & 0x7F;
    if ((e.message.status & 0xE0) == 0x80 &&
        std::find(keysOfInterest_.begin(), keysOfInterest_.end(), key) == keysOfInterest_.end()) {
      keysOfInterest_.push_back(key);
    }
  }

  const int32_t maxBlock = *std::max_element(blocks.begin(), blocks.end());
  std::vector<float> eL(static_cast<size_t>(maxBlock)), eR(eL), mL(eL), mR(eL);
  std::vector<MidiMessage> pending;
  size_t nextEvent = 0;
  size_t nextTempo = 0;
  int64_t t = 0;
  for (int64_t b = 0; t < total; ++b) {
    const int32_t n =
        static_cast<int32_t>(std::min<int64_t>(blocks[static_cast<size_t>(b) % blocks.size()], total - t));
    std::vector<MidiMessage> messages;
    messages.swap(pending);
    while (nextEvent < events.size() && events[nextEvent].at < t + n) {
      MidiMessage m = events[nextEvent].message;
      m.deltaFrames = static_cast<int32_t>(events[nextEvent].at - t) + events[nextEvent].lateBy;
      messages.push_back(m);
      ++nextEvent;
    }
    if (!messages.empty()) {
      engine.processMidi(messages.data(), static_cast<int32_t>(messages.size()));
      model.processEvents(messages.data(), static_cast<int>(messages.size()));
    }
    while (nextTempo < tempo.size() && tempo[nextTempo].at <= t) {
      clock.tempo = tempo[nextTempo].bpm;
      clock.available = tempo[nextTempo].available;
      ++nextTempo;
    }
    engine.render(eL.data(), eR.data(), n);
    model.render(mL.data(), mR.data(), n, clock.available ? &clock.tempo : nullptr);

    float peak = 0.0f;
    for (int32_t i = 0; i < n; ++i) peak = std::max({peak, std::fabs(mL[i]), std::fabs(mR[i])});
    const double tolerance = 1e-5 * peak;
    for (int32_t i = 0; i < n; ++i) {
      for (int ch = 0; ch < 2; ++ch) {
        const float e = ch == 0 ? eL[i] : eR[i];
        const float m = ch == 0 ? mL[i] : mR[i];
        const double diff = std::fabs(static_cast<double>(e) - m);
        if (m != 0.0f) ++st.audible;
        if (e != m) ++st.inexact;
        if (peak > 0.0f) st.worst = std::max(st.worst, diff / peak);
        if (!(diff <= tolerance)) {
          std::ostringstream o;
          o << "output differs at sample " << (t + i) << " (block " << b << ", index " << i << ", n " << n
            << ", channel " << ch << "): engine " << e << " model " << m << " block peak " << peak;
          st.failed = true;
          st.failure = o.str();
          return st;
        }
      }
    }
    st.samples += n;
    const float enginePeak = engine.readPeakLevel();
    const float modelPeak = model.readPeak();
    if (enginePeak != modelPeak) {
      std::ostringstream o;
      o << "peak after block " << b << ": engine " << enginePeak << " model " << modelPeak;
      st.failed = true;
      st.failure = o.str();
      return st;
    }
    if (engine.playingGrain() != model.playingGrain) {
      std::ostringstream o;
      o << "playing grain after block " << b << ": engine " << engine.playingGrain() << " model " << model.playingGrain;
      st.failed = true;
      st.failure = o.str();
      return st;
    }
    for (int key : keysOfInterest_) {
      std::string why;
      if (!compareState(key, b, why)) {
        st.failed = true;
        st.failure = why;
        return st;
      }
    }
    t += n;
    if (next) pending = next(*this);
  }
  return st;
}

std::vector<std::vector<int32_t>> blockPatterns() {
  return {{1}, {7}, {64}, {512}, {1024}, {752, 272}, {100, 1, 333, 1024, 5}};
}

std::string patternName(const std::vector<int32_t>& blocks) {
  std::string name = "n";
  for (size_t i = 0; i < blocks.size(); ++i) name.append(i ? "_" : "").append(std::to_string(blocks[i]));
  return name;
}

std::array<float, 32> shapeOf(std::initializer_list<float> values, float fill) {
  std::array<float, 32> a;
  a.fill(fill);
  size_t i = 0;
  for (float v : values) {
    if (i < a.size()) a[i++] = v;
  }
  return a;
}

}  // namespace tarnwick::test
