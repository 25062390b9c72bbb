// The dispatcher: every host request routed to an operation of the instance or answered here.
#include <cmath>
#include <cstring>

#include "engine/ParameterText.h"
#include "plugin/Identity.h"
#include "plugin/aPlug.h"
#include "vst/RecordingQuery.h"

namespace tarnwick {

intptr_t aPlug::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
    case effClose: return 0;
    case effSetProgram: return 0;  // one program: nothing to switch to
    case effGetProgram: return 0;
    case effSetProgramName: core_->setProgramName(text); return 0;
    case effGetProgramName: core_->getProgramName(text); return 0;
    case effGetParamLabel: core_->getParameterLabel(index, text); return 0;
    case effGetParamDisplay: core_->getParameterDisplay(index, text); return 0;
    case effGetParamName: core_->getParameterName(index, text); return 0;
    case effSetSampleRate: core_->setSampleRate(opt); return 0;
    case effSetBlockSize: return 0;  // the render takes any block length the host sends
    case effMainsChanged:
      if (value != 0) {
        core_->resume();
        callHost(audioMasterWantMidi, 0, 1, nullptr, 0.0f);
      }
      return 0;
    case effIdentify: return kIdentifyCode;
    case effGetChunk: return getChunk(static_cast<void**>(ptr));
    case effSetChunk: return setChunk(ptr, value);
    case effProcessEvents: return processEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated: return (index >= 0 && index < kHostParamCount) ? 1 : 0;
    case effGetProgramNameIndexed: return core_->getProgramNameIndexed(index, text) ? 1 : 0;
    case effGetInputProperties: return inputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties: return outputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory: return kPlugCategSynth;
    case effGetEffectName:
      if (!text) return 0;
      copyText(text, kEffectName, kVstMaxEffectNameLen);
      return 1;
    case effGetVendorString:
      if (!text) return 0;
      copyText(text, kVendorString, kVstMaxVendorStrLen);
      return 1;
    case effGetProductString:
      if (!text) return 0;
      copyText(text, kProductString, kVstMaxProductStrLen);
      return 1;
    case effGetVendorVersion: return kVendorVersion;
    case effCanDo: return tarnwick::canDo(text);
    case effGetVstVersion: return kVstVersion;
    case effGetCurrentMidiProgram: return -1;
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<void**>(value) = nullptr;
      if (ptr) *static_cast<void**>(ptr) = nullptr;
      return 0;
    case effStartProcess:
    case effStopProcess: return 0;  // hosts may never send them: nothing depends on them
    case effSetTotalSampleToProcess: return value;
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels: return 1;
    case effEditOpen:
    case effEditIdle:
    case effEditGetRect:
    case effEditClose:
    case effEditKeyDown:
    case effEditKeyUp:
    case effSetEditKnobMode: return dispatchEditor(opcode, index, value, ptr, opt);
    case effVendorSpecific:
      if (index == kRecordingQueryIndex) return answerRecordingQuery(static_cast<RecordingQueryRecord*>(ptr));
      return dispatchEditor(opcode, index, value, ptr, opt);
    default: return 0;  // editor requests without an editor, bypass, tail size, MIDI program names ...
  }
}

int32_t aPlug::getChunk(void** data) {
  if (!data) return 0;
  size_t size = 0;
  *data = const_cast<uint8_t*>(core_->saveState(size));  // the host only reads it
  return static_cast<int32_t>(size);
}

int32_t aPlug::setChunk(const void* data, intptr_t size) {
  core_->restoreState(data, static_cast<int64_t>(size));
  return 1;
}

}  // namespace tarnwick
