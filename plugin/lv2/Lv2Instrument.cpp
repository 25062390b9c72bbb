// The LV2 instance: ports to the instrument's entry points, the session record in the host's state with
// the recording's path mapped for the host, and the notices an LV2 host leaves to the plug-in.
#include "plugin/lv2/Lv2Instrument.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2_util.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/EditorLink.h"
#include "storage/ChunkRecord.h"

namespace tarnwick::lv2 {

Lv2Instrument* Lv2Instrument::create(double sampleRate, const LV2_Feature* const* features) {
  LV2_URID_Map* map = nullptr;
  LV2_Log_Log* log = nullptr;
  LV2_Worker_Schedule* schedule = nullptr;
  const char* missing = lv2_features_query(features, LV2_URID__map, &map, true, LV2_LOG__log, &log, false,
                                           LV2_WORKER__schedule, &schedule, false, nullptr);
  if (missing != nullptr) return nullptr;
  try {
    auto* instance = new Lv2Instrument(map, log, schedule);
    instance->core_->setSampleRate(static_cast<float>(sampleRate));
    return instance;
  } catch (...) {
    return nullptr;  // no exception crosses the host boundary
  }
}

Lv2Instrument::Lv2Instrument(LV2_URID_Map* map, LV2_Log_Log* log, LV2_Worker_Schedule* schedule)
    : log_(log), schedule_(schedule) {
  const auto id = [map](const char* uri) { return map->map(map->handle, uri); };
  uris_.atomChunk = id(LV2_ATOM__Chunk);
  uris_.atomPath = id(LV2_ATOM__Path);
  uris_.atomFloat = id(LV2_ATOM__Float);
  uris_.atomDouble = id(LV2_ATOM__Double);
  uris_.atomObject = id(LV2_ATOM__Object);
  uris_.atomBlank = id(LV2_ATOM__Blank);
  uris_.midiEvent = id(LV2_MIDI__MidiEvent);
  uris_.timePosition = id(LV2_TIME__Position);
  uris_.timeBpm = id(LV2_TIME__beatsPerMinute);
  uris_.stateRecord = id(kStateRecordUri);
  uris_.stateRecording = id(kStateRecordingUri);
  uris_.logWarning = id(LV2_LOG__Warning);
  uris_.atomUrid = id(LV2_ATOM__URID);
  uris_.patchSet = id(LV2_PATCH__Set);
  uris_.patchProperty = id(LV2_PATCH__property);
  uris_.patchValue = id(LV2_PATCH__value);
  applied_.fill(NAN);
  core_ = std::make_unique<Instrument>(*this);
}

void Lv2Instrument::connect(uint32_t port, void* data) {
  if (port < kHostParamCount) {
    controls_[port] = static_cast<const float*>(data);
  } else if (port == kControlIn) {
    controlIn_ = data;
  } else if (port == kAudioOutLeft) {
    outLeft_ = static_cast<float*>(data);
  } else if (port == kAudioOutRight) {
    outRight_ = static_cast<float*>(data);
  } else if (port == kPeakOut) {
    peak_ = static_cast<float*>(data);
  }
}

void Lv2Instrument::activate() {
  core_->resume();
  // The ports' values are the host's: the first block applies every one of them.
  applied_.fill(NAN);
}

void Lv2Instrument::run(uint32_t frames) {
  // Control ports the host changed since the last block take effect before it.
  for (int32_t i = 0; i < kHostParamCount; ++i) {
    if (controls_[i] == nullptr) continue;
    const float v = *controls_[i];
    if (v == applied_[i] || v != v) continue;
    applied_[i] = v;
    core_->automate(i, v);
  }
  if (controlIn_ != nullptr) readControl(controlIn_, frames);
  if (outLeft_ != nullptr && outRight_ != nullptr) {
    core_->process(outLeft_, outRight_, static_cast<int32_t>(frames));
  }
  if (peak_ != nullptr) *peak_ = core_->readParameter(kPeakLevel);
}

void Lv2Instrument::readControl(const void* sequence, uint32_t frames) {
  const auto* seq = static_cast<const LV2_Atom_Sequence*>(sequence);
  LV2_ATOM_SEQUENCE_FOREACH(seq, ev) {
    if (ev->body.type == uris_.midiEvent) {
      // Short channel messages only; system messages and longer ones carry nothing the instrument plays.
      const auto* bytes = reinterpret_cast<const uint8_t*>(ev + 1);
      const uint32_t size = ev->body.size;
      if (size == 0 || size > 3 || bytes[0] < 0x80 || bytes[0] >= 0xF0) continue;
      MidiMessage m;
      const int64_t at = ev->time.frames;
      m.deltaFrames = static_cast<int32_t>(at < 0 ? 0 : (at >= frames ? (frames > 0 ? frames - 1 : 0) : at));
      m.status = bytes[0];
      m.data1 = size > 1 ? bytes[1] : 0;
      m.data2 = size > 2 ? bytes[2] : 0;
      if (!core_->queueMidi(m)) break;  // the queue is full: the rest of this block's events are dropped
    } else if (ev->body.type == uris_.atomObject || ev->body.type == uris_.atomBlank) {
      const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&ev->body);
      if (object->body.otype == uris_.patchSet) readPatchSet(object);
      if (object->body.otype != uris_.timePosition) continue;
      const LV2_Atom* bpm = nullptr;
      lv2_atom_object_get(object, uris_.timeBpm, &bpm, 0);
      double tempo = 0.0;
      if (bpm != nullptr && bpm->type == uris_.atomFloat && bpm->size >= sizeof(float)) {
        tempo = reinterpret_cast<const LV2_Atom_Float*>(bpm)->body;
      } else if (bpm != nullptr && bpm->type == uris_.atomDouble && bpm->size >= sizeof(double)) {
        tempo = reinterpret_cast<const LV2_Atom_Double*>(bpm)->body;
      }
      if (std::isfinite(tempo) && tempo > 0.0) tempo_.store(tempo, std::memory_order_relaxed);
    }
  }
}

void Lv2Instrument::readPatchSet(const void* message) {
  const auto* object = static_cast<const LV2_Atom_Object*>(message);
  const LV2_Atom* property = nullptr;
  const LV2_Atom* value = nullptr;
  lv2_atom_object_get(object, uris_.patchProperty, &property, uris_.patchValue, &value, 0);
  if (property == nullptr || property->type != uris_.atomUrid || property->size < sizeof(LV2_URID)) return;
  if (reinterpret_cast<const LV2_Atom_URID*>(property)->body != uris_.stateRecording) return;
  if (value == nullptr || value->type != uris_.atomPath || value->size == 0 || schedule_ == nullptr) return;
  // The path's bytes go to the worker as they are; the worker bounds and terminates them.
  schedule_->schedule_work(schedule_->handle, value->size, LV2_ATOM_BODY_CONST(value));
}

LV2_Worker_Status Lv2Instrument::work(LV2_Worker_Respond_Function, LV2_Worker_Respond_Handle, uint32_t size,
                                      const void* data) {
  if (data == nullptr || size == 0) return LV2_WORKER_ERR_UNKNOWN;
  const auto* bytes = static_cast<const char*>(data);
  const std::string path(bytes, strnlen(bytes, size));
  if (path.empty()) return LV2_WORKER_ERR_UNKNOWN;
  // The editor's status line tells the result as after its own Load Audio; the host's log hears of a
  // recording that cannot be read.
  const StorageResult result = core_->loadAudioFile(path.c_str());
  if (result != kStorageOk && log_ != nullptr) {
    const char* why = storageResultMessage(result);
    log_->printf(log_->handle, uris_.logWarning, "%s: %s: %s\n", kPluginName, path.c_str(), why ? why : "");
  }
  return LV2_WORKER_SUCCESS;
}

bool Lv2Instrument::tempo(int32_t /*requestMask*/, double& bpm) {
  const double t = tempo_.load(std::memory_order_relaxed);
  if (t <= 0.0) return false;
  bpm = t;
  return true;
}

void Lv2Instrument::automate(int32_t index, float value) {
  if (port_ != nullptr) port_->writeParameter(index, value);
}

void Lv2Instrument::beginEdit(int32_t index) {
  if (port_ != nullptr) port_->touch(index, true);
}

void Lv2Instrument::endEdit(int32_t index) {
  if (port_ != nullptr) port_->touch(index, false);
}

bool Lv2Instrument::sizeWindow(int32_t width, int32_t height) {
  if (port_ == nullptr) return false;
  port_->resized(width, height);
  return true;
}

bool Lv2Instrument::openEditor(uintptr_t parent, double scale, EditorPort* port) {
  EditorLink* link = core_->editorLink();
  // One editor per instance: a second UI while one is open is refused.
  if (link == nullptr || parent == 0 || port_ != nullptr || link->editor().isOpen()) return false;
  link->editor().setHostScale(scale);
  if (!link->editor().open(reinterpret_cast<void*>(parent))) return false;
  port_ = port;
  return true;
}

uintptr_t Lv2Instrument::editorWindow() {
  EditorLink* link = core_->editorLink();
  return link != nullptr ? link->editor().windowHandle() : 0;
}

void Lv2Instrument::editorSize(int32_t& width, int32_t& height) {
  width = height = 0;
  EditorLink* link = core_->editorLink();
  gui::EditorRect* rect = nullptr;
  if (link == nullptr || !link->editor().getRect(&rect) || rect == nullptr) return;
  width = rect->right - rect->left;
  height = rect->bottom - rect->top;
}

bool Lv2Instrument::idleEditor() {
  EditorLink* link = core_->editorLink();
  if (link == nullptr || !link->editor().isOpen()) return false;
  link->editor().idle();
  return link->editor().isOpen();
}

void Lv2Instrument::closeEditor() {
  EditorLink* link = core_->editorLink();
  port_ = nullptr;
  if (link != nullptr && link->editor().isOpen()) link->editor().close();
}

void Lv2Instrument::setEditorScale(double scale) {
  EditorLink* link = core_->editorLink();
  if (link != nullptr) link->editor().setHostScale(scale);
}

intptr_t Lv2Instrument::probeEditor(int32_t command, void* record) {
  EditorLink* link = core_->editorLink();
  // The probe's offscreen editor and a UI's window are one editor: neither opens over the other.
  if (link == nullptr || port_ != nullptr) return 0;
  return probe_.run(*link, command, static_cast<EditorProbeRecord*>(record));
}

void Lv2Instrument::recordingStatus(int32_t& attempted, int32_t& result, char* message, int32_t capacity) {
  const RecordingStatus status = core_->recordingStatus();
  attempted = status.attempted ? 1 : 0;
  result = status.lastResult;
  if (message == nullptr || capacity < 1) return;
  const char* text = status.attempted ? storageResultMessage(status.lastResult) : "";
  std::snprintf(message, static_cast<size_t>(capacity), "%s", text ? text : "");
}

platform::MessageBoxAnswer Lv2Instrument::notify(const char* title, const char* text,
                                                 platform::MessageBoxButtons buttons) {
  // A question comes from the user's own action in the editor: it is asked. A notice (a session whose
  // recording could not be read) goes to the host's log; the editor's status line keeps telling it.
  if (buttons == platform::MessageBoxButtons::kYesNo) return platform::showMessageBox(title, text, buttons);
  if (log_ != nullptr) {
    log_->printf(log_->handle, uris_.logWarning, "%s: %s\n", title, text);
  } else {
    std::fprintf(stderr, "%s: %s\n", title, text);
  }
  return platform::MessageBoxAnswer::kOk;
}

namespace {

// The recording's path in a session record: the terminated text of the path field, or empty.
std::string recordPath(const uint8_t* record, size_t size) {
  if (size < chunk::kPath + chunk::kPathBytes) return {};
  const auto* field = reinterpret_cast<const char*>(record + chunk::kPath);
  return std::string(field, strnlen(field, chunk::kPathBytes));
}

void freePath(const LV2_Feature* const* features, char* path) {
  auto* free = static_cast<LV2_State_Free_Path*>(lv2_features_data(features, LV2_STATE__freePath));
  if (free != nullptr) {
    free->free_path(free->handle, path);
  } else {
    std::free(path);
  }
}

}  // namespace

LV2_State_Status Lv2Instrument::save(LV2_State_Store_Function store, LV2_State_Handle handle,
                                     const LV2_Feature* const* features) {
  size_t size = 0;
  const uint8_t* record = core_->saveState(size);
  const LV2_State_Status status =
      store(handle, uris_.stateRecord, record, size, uris_.atomChunk, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
  if (status != LV2_STATE_SUCCESS) return status;
  // The recording's path once more, as a path the host may map, archive and move with the session.
  const std::string path = recordPath(record, size);
  auto* map = static_cast<LV2_State_Map_Path*>(lv2_features_data(features, LV2_STATE__mapPath));
  if (path.empty() || map == nullptr) return LV2_STATE_SUCCESS;
  char* abstract = map->abstract_path(map->handle, path.c_str());
  if (abstract == nullptr) return LV2_STATE_SUCCESS;
  const LV2_State_Status pathStatus = store(handle, uris_.stateRecording, abstract, std::strlen(abstract) + 1,
                                            uris_.atomPath, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
  freePath(features, abstract);
  return pathStatus;
}

LV2_State_Status Lv2Instrument::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                        const LV2_Feature* const* features) {
  size_t size = 0;
  uint32_t type = 0;
  uint32_t flags = 0;
  const void* record = retrieve(handle, uris_.stateRecord, &size, &type, &flags);
  if (record == nullptr) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != uris_.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
  std::vector<uint8_t> bytes(static_cast<const uint8_t*>(record), static_cast<const uint8_t*>(record) + size);
  // Where the host moved the recording (an archived or copied session): its mapped path replaces the one
  // in the record.
  const void* stored = retrieve(handle, uris_.stateRecording, &size, &type, &flags);
  auto* map = static_cast<LV2_State_Map_Path*>(lv2_features_data(features, LV2_STATE__mapPath));
  if (stored != nullptr && type == uris_.atomPath && map != nullptr &&
      bytes.size() >= chunk::kPath + chunk::kPathBytes) {
    const std::string abstract(static_cast<const char*>(stored), strnlen(static_cast<const char*>(stored), size));
    char* absolute = map->absolute_path(map->handle, abstract.c_str());
    if (absolute != nullptr) {
      const size_t length = std::strlen(absolute);
      if (length < chunk::kPathBytes) {
        std::memset(bytes.data() + chunk::kPath, 0, chunk::kPathBytes);
        std::memcpy(bytes.data() + chunk::kPath, absolute, length);
      }
      freePath(features, absolute);
    }
  }
  core_->restoreState(bytes.data(), static_cast<int64_t>(bytes.size()));
  return LV2_STATE_SUCCESS;
}

}  // namespace tarnwick::lv2
