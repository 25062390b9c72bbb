// A small VST 2.4 plug-in for the host tests: fixed answers, recorded events, known output and host calls.
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/host/FakePluginProtocol.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

// Live instances, read by the tests through the loader.
FAKE_EXPORT int fakeInstancesAlive;
int fakeInstancesAlive = 0;

namespace {

struct FakeInstance {
  AEffect effect{};
  audioMasterCallback host = nullptr;
  float params[fake::kNumParams] = {0.5f, 0.25f, 1.0f, 0.0f};
  std::vector<uint8_t> chunks[2] = {{'B', 'A', 'N', 'K'}, {'P', 'R', 'S', 'T'}};
  std::vector<VstEvent> received;
  intptr_t listReserved = -1;
  float sampleRate = 0.0f;
  intptr_t blockSize = 0;
  int32_t resumes = 0;
  bool inputsWereZero = true;
  double tempo = 0.0;
};

FakeInstance* instanceOf(AEffect* effect) { return static_cast<FakeInstance*>(effect->object); }

intptr_t callHost(FakeInstance* fake, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f) {
  return fake->host(&fake->effect, opcode, index, value, ptr, opt);
}

intptr_t copyText(void* ptr, const char* text, std::size_t capacity) {
  std::snprintf(static_cast<char*>(ptr), capacity, "%s", text);
  return 1;
}

void readTempo(FakeInstance* fake, int32_t mask) {
  auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(fake, audioMasterGetTime, 0, mask));
  if (info) fake->tempo = info->tempo;
}

void recordEvents(FakeInstance* fake, const VstEvents* events) {
  fake->received.clear();
  fake->listReserved = events->reserved;
  auto* slots = reinterpret_cast<VstEvent* const*>(reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
  for (int32_t i = 0; i < events->numEvents; ++i) fake->received.push_back(*slots[i]);
}

void echoEvents(FakeInstance* fake) {
  std::vector<VstEvent*> pointers;
  for (VstEvent& event : fake->received) pointers.push_back(&event);
  std::vector<uint64_t> storage(sizeof(VstEvents) / sizeof(uint64_t) + pointers.size(), 0);
  auto* list = reinterpret_cast<VstEvents*>(storage.data());
  list->numEvents = static_cast<int32_t>(pointers.size());
  std::memcpy(reinterpret_cast<char*>(list) + offsetof(VstEvents, events), pointers.data(),
              pointers.size() * sizeof(VstEvent*));
  callHost(fake, audioMasterProcessEvents, 0, 0, list);
}

bool validParam(int32_t index) { return index >= 0 && index < fake::kNumParams; }

intptr_t vendorRequest(FakeInstance* fake, int32_t request, intptr_t value, void* ptr, float opt) {
  switch (request) {
    case fake::kEventCount: return static_cast<intptr_t>(fake->received.size());
    case fake::kCopyEvent:
      if (value < 0 || static_cast<std::size_t>(value) >= fake->received.size()) return 0;
      std::memcpy(ptr, &fake->received[static_cast<std::size_t>(value)], sizeof(VstEvent));
      return 1;
    case fake::kListReserved: return fake->listReserved;
    case fake::kSampleRate: return static_cast<intptr_t>(fake->sampleRate);
    case fake::kBlockSize: return fake->blockSize;
    case fake::kResumeCount: return fake->resumes;
    case fake::kInputsWereZero: return fake->inputsWereZero ? 1 : 0;
    case fake::kTempoMilli: return static_cast<intptr_t>(fake->tempo * 1000.0);
    case fake::kCallAutomate:
      if (validParam(static_cast<int32_t>(value))) fake->params[value] = opt;
      callHost(fake, audioMasterAutomate, static_cast<int32_t>(value), 0, nullptr, opt);
      return 1;
    case fake::kCallEdit:
      callHost(fake, audioMasterBeginEdit, static_cast<int32_t>(value));
      callHost(fake, audioMasterEndEdit, static_cast<int32_t>(value));
      return 1;
    case fake::kCallGetTime: {
      auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(fake, audioMasterGetTime, 0, value));
      if (!info) return 0;
      std::memcpy(ptr, info, sizeof(VstTimeInfo));
      return 1;
    }
    case fake::kCallCurrentId: return callHost(fake, audioMasterCurrentId);
    case fake::kCallEchoEvents: echoEvents(fake); return 1;
    case fake::kCallHostVendor: return callHost(fake, audioMasterGetVendorString, 0, 0, ptr);
    case fake::kCallCanDo: return callHost(fake, audioMasterCanDo, 0, 0, ptr);
    case fake::kCallIdle: return callHost(fake, audioMasterIdle);
    case fake::kCallFileSelector: {
      const intptr_t answer = callHost(fake, audioMasterOpenFileSelector, 0, 0, ptr);
      if (answer == 1) callHost(fake, audioMasterCloseFileSelector, 0, 0, ptr);
      return answer;
    }
    case fake::kResvd1SeenByDispatcher: return fake->effect.resvd1;
    default: return 0;
  }
}

intptr_t pinRequest(int32_t index, void* ptr, bool output) {
  if (index < 0 || index > 1) return 0;
  auto* props = static_cast<VstPinProperties*>(ptr);
  const char* label = output ? (index == 0 ? "Fake Out L" : "Fake Out R") : "Fake In";
  std::snprintf(props->label, sizeof props->label, "%s", label);
  props->flags = (output && index == 1) ? kVstPinIsActive : kVstPinIsActive | kVstPinIsStereo;
  return 1;
}

intptr_t VSTCALLBACK dispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  FakeInstance* fake = instanceOf(effect);
  switch (opcode) {
    case effClose:
      delete fake;
      --fakeInstancesAlive;
      return 1;
    case effGetEffectName: return copyText(ptr, fake::kEffectName, kVstMaxEffectNameLen);
    case effGetVendorString: return copyText(ptr, fake::kVendor, kVstMaxVendorStrLen);
    case effGetProductString: return copyText(ptr, fake::kProduct, kVstMaxProductStrLen);
    case effGetVendorVersion: return fake::kVendorVersion;
    case effGetVstVersion: return kVstVersion;
    case effGetPlugCategory: return kPlugCategSynth;
    case effGetProgramName: return copyText(ptr, fake::kProgramName, kVstMaxProgNameLen);
    case effGetParamName: return validParam(index) ? copyText(ptr, fake::kParamNames[index], kVstMaxParamStrLen) : 0;
    case effGetParamLabel: return validParam(index) ? copyText(ptr, index == 0 ? "dB" : "", kVstMaxParamStrLen) : 0;
    case effGetParamDisplay:
      if (!validParam(index)) return 0;
      std::snprintf(static_cast<char*>(ptr), kVstMaxParamStrLen, "%.2f", static_cast<double>(fake->params[index]));
      return 1;
    case effSetSampleRate: fake->sampleRate = opt; return 0;
    case effSetBlockSize: fake->blockSize = value; return 0;
    case effMainsChanged:
      if (value) {
        ++fake->resumes;
        readTempo(fake, kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid);
        callHost(fake, audioMasterWantMidi, 0, 1);
      }
      return 0;
    case effProcessEvents: recordEvents(fake, static_cast<const VstEvents*>(ptr)); return 1;
    case effGetChunk: {
      std::vector<uint8_t>& chunk = fake->chunks[index ? 1 : 0];
      *static_cast<void**>(ptr) = chunk.data();
      return static_cast<intptr_t>(chunk.size());
    }
    case effSetChunk: {
      if (!ptr || value < 0) return 0;
      const auto* bytes = static_cast<const uint8_t*>(ptr);
      fake->chunks[index ? 1 : 0].assign(bytes, bytes + value);
      return 1;
    }
    case effCanDo: {
      const char* text = static_cast<const char*>(ptr);
      if (std::strcmp(text, "receiveVstMidiEvent") == 0) return 1;
      return std::strcmp(text, "sendVstTimeInfo") == 0 ? -1 : 0;
    }
    case effGetInputProperties: return pinRequest(index, ptr, false);
    case effGetOutputProperties: return pinRequest(index, ptr, true);
    case effVendorSpecific: return vendorRequest(fake, index, value, ptr, opt);
    default: return 0;
  }
}

void VSTCALLBACK setParameter(AEffect* effect, int32_t index, float value) {
  if (validParam(index)) instanceOf(effect)->params[index] = value;
}

float VSTCALLBACK getParameter(AEffect* effect, int32_t index) {
  return validParam(index) ? instanceOf(effect)->params[index] : 0.0f;
}

void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  FakeInstance* fake = instanceOf(effect);
  // Like a tempo-synced render: ask for the tempo every block.
  readTempo(fake, kVstTempoValid);
  for (int32_t i = 0; i < frames; ++i) {
    if (inputs[0][i] != 0.0f || inputs[1][i] != 0.0f) fake->inputsWereZero = false;
    outputs[0][i] = fake::leftSample(i);
    outputs[1][i] = fake::rightSample(i);
  }
}

AEffect* createEffect(audioMasterCallback host) {
  if (!host) return nullptr;
  const intptr_t hostVersion = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
  if (hostVersion == 0) return nullptr;
  if (hostVersion == fake::kVersionForBadMagic) {
    static AEffect broken{};
    broken.magic = fourCharCode('N', 'o', 'p', 'e');
    return &broken;
  }
  auto* fake = new FakeInstance;
  fake->host = host;
  AEffect& effect = fake->effect;
  effect.magic = kEffectMagic;
  effect.dispatcher = dispatcher;
  effect.setParameter = setParameter;
  effect.getParameter = getParameter;
  effect.processReplacing = processReplacing;
  effect.numPrograms = 1;
  effect.numParams = fake::kNumParams;
  effect.numInputs = 2;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth;
  effect.ioRatio = 1.0f;
  effect.object = fake;
  effect.uniqueID = fake::kUniqueId;
  effect.version = fake::kVersion;
  // A real instrument resumes once while it is built, before the host has marked the record.
  callHost(fake, audioMasterWantMidi, 0, 1);
  ++fakeInstancesAlive;
  return &effect;
}

}  // namespace

#ifdef FAKE_ENTRY_AS_MAIN
// Only the older entry name; the asm label gives the C symbol "main" without declaring a C++ main (with
// the target's prefix for C symbols: "_main" on 32-bit Windows).
#define FAKE_TEXT(x) #x
#define FAKE_PREFIXED(prefix, name) FAKE_TEXT(prefix) name
FAKE_EXPORT AEffect* fakeMainEntry(audioMasterCallback host) __asm__(FAKE_PREFIXED(__USER_LABEL_PREFIX__, "main"));
FAKE_EXPORT AEffect* fakeMainEntry(audioMasterCallback host) { return createEffect(host); }
#else
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) { return createEffect(host); }
#endif
