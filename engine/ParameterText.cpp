// Parameter texts: the table's label and display rules turned into the texts the host and editor show.
#include "engine/ParameterText.h"

#include <cmath>
#include <cstdio>

#include "engine/EngineState.h"
#include "engine/Numeric.h"
#include "engine/ParameterTable.h"
#include "engine/TempoSteps.h"

namespace tarnwick {

namespace {

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
  const ParameterInfo* info = parameterInfo(index);
  if (!info || !info->name) return false;
  if (info->behaviour == Behaviour::kDelay) {
    char numbered[16];
    std::snprintf(numbered, sizeof numbered, "%s%02d", info->name, static_cast<int>(index - info->first + 1));
    copyText(text, numbered, kParamTextCapacity);
  } else {
    copyText(text, info->name, kParamTextCapacity);
  }
  return true;
}

bool parameterLabel(const EngineState& s, int32_t index, char* text) {
  const ParameterInfo* info = parameterInfo(index);
  if (!info) return false;
  const KeyRow& row = s.rows[s.editRow];
  const char* label = "";
  switch (info->label) {
    case LabelRule::kUntouched: return false;
    case LabelRule::kEmpty: break;
    case LabelRule::kGrainNote: {
      const int32_t step = truncToInt(8.0f * row.unitDura);
      label = (step >= 1 && step <= 7) ? " note" : "";
      break;
    }
    case LabelRule::kSeconds: label = row.release != 0.0f ? " sec" : ""; break;
    case LabelRule::kSustain: label = "sustain"; break;
    case LabelRule::kDelayUnit: label = s.quantized() ? "note" : "ms"; break;
  }
  copyText(text, label, kParamTextCapacity);
  return true;
}

bool parameterDisplay(const EngineState& s, int32_t index, char* text) {
  const ParameterInfo* info = parameterInfo(index);
  if (!info || info->display == DisplayRule::kUntouched) return false;
  const float v = storedParameter(s, index);
  switch (info->display) {
    case DisplayRule::kUntouched: return false;
    case DisplayRule::kEmpty: copyText(text, "", kParamTextCapacity); break;
    case DisplayRule::kGainDb:
      if (s.masterGain <= 0.0f) {
        copyText(text, "-oo dB", kParamTextCapacity);
      } else {
        formatInt(text, "%+d dB", truncToInt(static_cast<float>(20.0 * std::log10(s.masterGain))));
      }
      break;
    case DisplayRule::kGrainStep: {
      const int32_t step = truncToInt(8.0f * v);
      copyText(text, (step >= 0 && step <= 8) ? kGrainStepText[step] : "", kParamTextCapacity);
      break;
    }
    case DisplayRule::kReleaseSeconds:
      if (v == 0.0f) {
        copyText(text, "infinite", kParamTextCapacity);
      } else {
        format(text, "%#.2f ", 1.0 / (6.0 * v));
      }
      break;
    case DisplayRule::kPercent: formatInt(text, " %d %%", truncToInt(100.0f * v)); break;
    case DisplayRule::kOnOff: copyText(text, v != 0.0f ? "on" : "off", kParamTextCapacity); break;
    case DisplayRule::kDelay:
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
