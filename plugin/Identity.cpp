// Identity, pin and capability answers; all constants.
#include "plugin/Identity.h"

#include <cstring>

#include "engine/ParameterText.h"

namespace tarnwick {

namespace {

struct Capability {
  const char* text;
  int32_t answer;
};

constexpr Capability kCapabilities[] = {
    {"sendVstEvents", 1},
    {"sendVstMidiEvent", 1},
    {"sendVstTimeInfo", -1},
    {"receiveVstEvents", 1},
    {"receiveVstMidiEvent", 1},
    {"receiveVstTimeInfo", 1},
    {"offline", 0},
    {"plugAsChannelInsert", 1},
    {"plugAsSend", 1},
    {"mixDryWet", -1},
    {"noRealTime", -1},
    {"multipass", 0},
    {"metapass", 0},
    {"1in1out", -1},
    {"1in2out", 1},
    {"2in1out", -1},
    {"2in2out", 1},
    {"2in4out", -1},
    {"4in2out", -1},
    {"4in4out", -1},
    {"4in8out", -1},
    {"8in4out", -1},
    {"8in8out", -1},
    {"midiProgramNames", -1},
    {"conformsToWindowRules", 0},
    {"bypass", 1},
};

constexpr int32_t kPinActive = 1;
constexpr int32_t kPinStereo = 2;

void setPin(VstPinProperties* props, const char* label, int32_t flags) {
  copyText(props->label, label, kVstMaxLabelLen);
  props->flags = flags;
}

}  // namespace

int32_t canDo(const char* text) {
  if (!text) return 0;
  for (const Capability& c : kCapabilities) {
    if (std::strcmp(text, c.text) == 0) return c.answer;
  }
  return 0;
}

bool inputProperties(int32_t index, VstPinProperties* props) {
  if (!props || index < 0 || index > 1) return false;
  setPin(props, "Tarnwick In", kPinActive | kPinStereo);
  return true;
}

bool outputProperties(int32_t index, VstPinProperties* props) {
  if (!props || index < 0 || index > 1) return false;
  if (index == 0) {
    setPin(props, "Tarnwick Out 01", kPinActive | kPinStereo);
  } else {
    setPin(props, "Tarnwick Out 02", kPinActive);
  }
  return true;
}

}  // namespace tarnwick
