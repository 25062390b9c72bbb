// Parameter texts: one descriptor table for the host parameters, plus the few internal ones.
#include "engine/ParameterText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/Engine.h"
#include "engine/Numeric.h"
#include "engine/TempoSteps.h"

namespace tarnwick {

namespace {

enum class Display { kGainDb, kGrainStep, kRelease, kPercent, kOnOff, kDelay };

struct HostParam {
  const char* name;
  Display display;
};

constexpr HostParam kHostParams[kDelay01] = {
    {"mainLevl", Display::kGainDb},  {"unitDura", Display::kGrainStep}, {"release", Display::kRelease},
    {"envelope", Display::kPercent}, {"trigmode", Display::kOnOff},     {"move", Display::kOnOff},
    {"morph", Display::kOnOff},      {"bufstart", Display::kPercent},
};

constexpr const char* kGrainStepText[9] = {"keysplit", "1/64", "1/32", "1/16", "1/8", "1/4", "1/2", "1/1", "fullsize"};
constexpr const char* kTempoStepText[kTempoStepCount] = {"skipped", "1/24 ", "1/64 ", "1/12 ", "1/32 ",
                                                         "1/6 ",    "1/16 ", "1/3 ",  "1/8 ",  "2/3 ",
                                                         "1/4 ",    "4/3 ",  "1/2 ",  "8/3 ",  "1/1 "};

void format(char* text, const char* fmt, double value) {
  char wide[64];
  std::snprintf(wide, sizeof wide, fmt, value);
  copyText(text, wide, kParamTextCapacity);
}

void formatInt(char* text, const char* fmt, int32_t value) {
  char wide[64];
  std::snprintf(wide, sizeof wide, fmt, static_cast<int>(value));
  copyText(text, wide, kParamTextCapacity);
}

}  // namespace

void copyText(char* dest, const char* src, size_t capacity) {
  if (capacity == 0) return;
  size_t n = 0;
  while (n + 1 < capacity && src[n] != '\0') {
    dest[n] = src[n];
    ++n;
  }
  dest[n] = '\0';
}

bool parameterName(int32_t index, char* text) {
  char buf[16];
  if (index >= 0 && index < kDelay01) {
    copyText(text, kHostParams[index].name, kParamTextCapacity);
  } else if (isDelayIndex(index)) {
    std::snprintf(buf, sizeof buf, "delay%02d", static_cast<int>(index - kDelay01 + 1));
    copyText(text, buf, kParamTextCapacity);
  } else if (index >= kCopyFirst && index <= kCopyNamedLast) {
    copyText(text, "copy", kParamTextCapacity);
  } else if (index >= kPasteFirst && index <= kPasteNamedLast) {
    copyText(text, "paste", kParamTextCapacity);
  } else if (index == kFlood) {
    copyText(text, "flood", kParamTextCapacity);
  } else {
    return false;
  }
  return true;
}

bool parameterLabel(Engine& engine, int32_t index, char* text) {
  const EngineState& s = engine.state();
  const KeyRow& row = s.rows[s.editRow];
  const char* label = nullptr;
  if (isDelayIndex(index)) {
    label = s.quantized() ? "note" : "ms";
  } else {
    switch (index) {
      case kMainLevl:
      case kTrigmode:
      case kMove:
      case kMorph:
      case kBufstart:
      case kFlood: label = ""; break;
      case kUnitDura: {
        const int32_t step = truncToInt(8.0f * row.unitDura);
        label = (step >= 1 && step <= 7) ? " note" : "";
        break;
      }
      case kRelease: label = row.release != 0.0f ? " sec" : ""; break;
      case kEnvelope: label = "sustain"; break;
      default: return false;
    }
  }
  copyText(text, label, kParamTextCapacity);
  return true;
}

bool parameterDisplay(Engine& engine, int32_t index, char* text) {
  const EngineState& s = engine.state();
  if ((index >= kCopyFirst && index <= kCopyNamedLast) || (index >= kPasteFirst && index <= kPasteNamedLast)) {
    copyText(text, "", kParamTextCapacity);
    return true;
  }
  if (index == kFlood) {
    copyText(text, s.flood != 0.0f ? "on" : "off", kParamTextCapacity);
    return true;
  }
  Display kind;
  if (index >= 0 && index < kDelay01) {
    kind = kHostParams[index].display;
  } else if (isDelayIndex(index)) {
    kind = Display::kDelay;
  } else {
    return false;
  }
  const float v = engine.getParameter(index);
  switch (kind) {
    case Display::kGainDb:
      if (s.masterGain <= 0.0f) {
        copyText(text, "-oo dB", kParamTextCapacity);
      } else {
        formatInt(text, "%+d dB", truncToInt(static_cast<float>(20.0 * std::log10(s.masterGain))));
      }
      break;
    case Display::kGrainStep: {
      const int32_t step = truncToInt(8.0f * v);
      copyText(text, (step >= 0 && step <= 8) ? kGrainStepText[step] : "", kParamTextCapacity);
      break;
    }
    case Display::kRelease:
      if (v == 0.0f) {
        copyText(text, "infinite", kParamTextCapacity);
      } else {
        format(text, "%#.2f ", 1.0 / (6.0 * v));
      }
      break;
    case Display::kPercent: formatInt(text, " %d %%", truncToInt(100.0f * v)); break;
    case Display::kOnOff: copyText(text, v != 0.0f ? "on" : "off", kParamTextCapacity); break;
    case Display::kDelay:
      if (s.quantized()) {
        int32_t step = truncToInt(14.0f * v + 1.0f / 14.0f);
        step = step < 0 ? 0 : (step > 14 ? 14 : step);
        copyText(text, kTempoStepText[step], kParamTextCapacity);
      } else {
        format(text, "%.0f ", static_cast<double>(v * s.delayUnit * 1000.0f / s.sampleRate));
      }
      break;
  }
  return true;
}

}  // namespace tarnwick
