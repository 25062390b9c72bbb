// The effect record and its entries, the audio thread's two calls, and the instrument's host services
// through the host's callback.
#include "plugin/aPlug.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "core/EditorLink.h"
#include "plugin/Identity.h"

namespace tarnwick {

namespace {

intptr_t VSTCALLBACK dispatchEntry(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  aPlug* plug = aPlug::fromEffect(e);
  if (!plug) return 0;
  if (opcode == effClose) {
    plug->dispatcher(opcode, index, value, ptr, opt);
    delete plug;
    return 1;
  }
  return plug->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK processEntry(AEffect*, float**, float**, int32_t) {}
void VSTCALLBACK processDoubleEntry(AEffect*, double**, double**, int32_t) {}

void VSTCALLBACK setParameterEntry(AEffect* e, int32_t index, float value) {
  if (aPlug* plug = aPlug::fromEffect(e)) plug->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* e, int32_t index) {
  aPlug* plug = aPlug::fromEffect(e);
  return plug ? plug->getParameter(index) : 0.0f;
}

void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs, float** outputs, int32_t frames) {
  if (aPlug* plug = aPlug::fromEffect(e)) plug->processReplacing(inputs, outputs, frames);
}

}  // namespace

aPlug::aPlug(audioMasterCallback host) : host_(host) {
  effect_.magic = kEffectMagic;
  effect_.dispatcher = dispatchEntry;
  effect_.process = processEntry;
  effect_.setParameter = setParameterEntry;
  effect_.getParameter = getParameterEntry;
  effect_.numPrograms = 1;
  effect_.numParams = kHostParamCount;
  effect_.numInputs = 2;
  effect_.numOutputs = 2;
  effect_.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth;
  effect_.initialDelay = 0;
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = kUniqueId;
  effect_.version = kEffectVersion;
  effect_.processReplacing = processReplacingEntry;
  effect_.processDoubleReplacing = processDoubleEntry;
  core_ = std::make_unique<Instrument>(*this);
  if (core_->editorLink()) effect_.flags |= effFlagsHasEditor;
  callHost(audioMasterWantMidi, 0, 1, nullptr, 0.0f);
}

aPlug::~aPlug() {
  core_.reset();
  effect_.object = nullptr;
}

intptr_t aPlug::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

int32_t aPlug::processEvents(const VstEvents* events) {
  if (!events) return 1;
  // The list is declared with two entries but holds numEvents of them.
  VstEvent* const* list = events->events;
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const VstEvent* e = list[i];
    if (!e || e->type != kVstMidiType) continue;
    const auto* m = reinterpret_cast<const VstMidiEvent*>(e);
    MidiMessage msg;
    msg.deltaFrames = m->deltaFrames;
    msg.status = static_cast<uint8_t>(m->midiData[0]);
    msg.data1 = static_cast<uint8_t>(m->midiData[1]);
    msg.data2 = static_cast<uint8_t>(m->midiData[2]);
    if (!core_->queueMidi(msg)) break;  // the queue is full: the rest of this list is dropped
  }
  return 1;
}

void aPlug::processReplacing(float** /*inputs*/, float** outputs, int32_t frames) {
  if (!outputs || !outputs[0] || !outputs[1] || frames <= 0) return;
  core_->process(outputs[0], outputs[1], frames);
}

bool aPlug::tempo(int32_t requestMask, double& bpm) {
  const auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, requestMask, nullptr, 0.0f));
  if (!info) return false;
  if (!std::isfinite(info->tempo) || info->tempo <= 0.0) return false;
  bpm = info->tempo;
  return true;
}

void aPlug::automate(int32_t index, float value) { callHost(audioMasterAutomate, index, 0, nullptr, value); }
void aPlug::beginEdit(int32_t index) { callHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f); }
void aPlug::endEdit(int32_t index) { callHost(audioMasterEndEdit, index, 0, nullptr, 0.0f); }
void aPlug::idle() { callHost(audioMasterIdle, 0, 0, nullptr, 0.0f); }

bool aPlug::sizeWindow(int32_t width, int32_t height) {
  return callHost(audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

void aPlug::sendMidi(const MidiMessage& message) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof event;
  event.deltaFrames = message.deltaFrames;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&event);
  callHost(audioMasterProcessEvents, 0, 0, &list, 0.0f);
}

bool aPlug::hasFileSelector() {
  char text[] = "openFileSelector";
  return callHost(audioMasterCanDo, 0, 0, text, 0.0f) == 1;
}

namespace {

// The result buffer handed to the host's selector: larger than the longest path the editor takes (1023
// characters), so that a path a host had to cut to the buffer still shows as too long and is refused.
constexpr size_t kResultCapacity = 2048;

// Copies at most capacity - 1 characters and the terminator.
template <size_t N>
void copyField(char (&field)[N], const char* text) {
  size_t n = 0;
  for (; text != nullptr && n + 1 < N && text[n] != '\0'; ++n) field[n] = text[n];
  field[n] = '\0';
}

}  // namespace

bool aPlug::runFileSelector(const FileSelectRequest& request, std::string& path) {
  std::vector<VstFileType> types(request.types.size());
  for (size_t i = 0; i < request.types.size(); ++i) {
    const FileTypeEntry& t = request.types[i];
    VstFileType& v = types[i];
    copyField(v.name, t.name);
    copyField(v.macType, t.macType);
    copyField(v.dosType, t.dosType);
    copyField(v.unixType, t.unixType);
    copyField(v.mimeType1, t.mimeType1);
    copyField(v.mimeType2, t.mimeType2);
  }
  auto select = std::make_unique<VstFileSelect>();
  *select = VstFileSelect{};
  select->command = request.save ? kVstFileSave : kVstFileLoad;
  select->type = kVstFileType;
  select->nbFileTypes = static_cast<int32_t>(types.size());
  select->fileTypes = types.data();
  copyField(select->title, request.title);
  std::vector<char> result(kResultCapacity, '\0');
  select->returnPath = result.data();
  select->sizeReturnPath = static_cast<int32_t>(result.size());
  if (callHost(audioMasterOpenFileSelector, 0, 0, select.get(), 0.0f) == 0) return false;
  const bool picked = select->returnPath != nullptr && select->returnPath[0] != '\0';
  if (picked)
    path.assign(
        select->returnPath,
        strnlen(select->returnPath, static_cast<size_t>(select->sizeReturnPath > 0 ? select->sizeReturnPath : 0)));
  // The host frees what it allocated for the run.
  callHost(audioMasterCloseFileSelector, 0, 0, select.get(), 0.0f);
  return picked;
}

}  // namespace tarnwick
