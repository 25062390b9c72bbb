#include "tools/hostlib/Lv2Host.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "plugin/lv2/InstanceAccess.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::host {

namespace {

constexpr size_t kSequenceBytes = 64 * 1024;

// Appends an atom event (header, then body) to the sequence; false when it is full.
bool appendEvent(LV2_Atom_Sequence* seq, int64_t frame, uint32_t type, const void* body, uint32_t size) {
  const uint32_t room = static_cast<uint32_t>(kSequenceBytes - sizeof(LV2_Atom)) - seq->atom.size;
  const uint32_t needed = static_cast<uint32_t>(lv2_atom_pad_size(sizeof(LV2_Atom_Event) + size));
  if (needed > room) return false;
  auto* ev = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&seq->body) + seq->atom.size);
  ev->time.frames = frame;
  ev->body.type = type;
  ev->body.size = size;
  std::memcpy(ev + 1, body, size);
  seq->atom.size += needed;
  return true;
}

}  // namespace

struct Lv2Host::Impl {
  LilvWorld* world = nullptr;
  const LilvPlugin* plugin = nullptr;
  LilvInstance* instance = nullptr;
  const LV2_Worker_Interface* worker = nullptr;
  const LV2_State_Interface* state = nullptr;
  Lv2Host* owner = nullptr;

  std::vector<std::string> uris;
  LV2_URID_Map map{};
  LV2_URID_Unmap unmap{};
  LV2_Log_Log log{};
  LV2_Worker_Schedule schedule{};
  LV2_Feature mapFeature{LV2_URID__map, &map};
  LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
  LV2_Feature logFeature{LV2_LOG__log, &log};
  LV2_Feature scheduleFeature{LV2_WORKER__schedule, &schedule};
  const LV2_Feature* features[5] = {&mapFeature, &unmapFeature, &logFeature, &scheduleFeature, nullptr};

  std::vector<float> controls;  // one per port (non-control ports unused)
  std::vector<float> outLeft, outRight;
  float peak = 0.0f;
  std::vector<uint64_t> sequence = std::vector<uint64_t>(kSequenceBytes / sizeof(uint64_t));
  std::vector<std::vector<uint8_t>> jobs, responses;  // the worker's, between blocks
  std::vector<MidiMessage> midi;
  std::vector<std::pair<std::string, std::string>> pathProperties;  // (property URI, path) for the next block
  double tempo = 120.0;
  bool tempoSent = false;
  bool active = false;

  LV2_URID id(const char* uri) {
    const auto found = std::find(uris.begin(), uris.end(), uri);
    if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin() + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
  }
};

// The plug-in's log lines go to standard error and are kept for the caller.
int Lv2Host::logLine(void* handle, const char* format, va_list args) {
  char line[1024];
  const int n = std::vsnprintf(line, sizeof line, format, args);
  std::string text(line);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::fprintf(stderr, "%s\n", text.c_str());
  static_cast<Impl*>(handle)->owner->logLines_.push_back(text);
  return n;
}

namespace {

int logVprintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args) {
  return Lv2Host::logLine(handle, format, args);
}

int logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = logVprintf(handle, type, format, args);
  va_end(args);
  return n;
}

}  // namespace

std::unique_ptr<Lv2Host> Lv2Host::load(const std::string& bundle, std::string* error) {
  auto impl = std::make_unique<Impl>();
  impl->world = lilv_world_new();
  std::error_code ec;
  std::string folder = std::filesystem::absolute(bundle, ec).lexically_normal().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  LilvNode* uri = lilv_new_file_uri(impl->world, nullptr, folder.c_str());
  lilv_world_load_bundle(impl->world, uri);
  lilv_node_free(uri);
  const LilvPlugins* plugins = lilv_world_get_all_plugins(impl->world);
  LILV_FOREACH(plugins, i, plugins) {
    impl->plugin = lilv_plugins_get(plugins, i);
    break;
  }
  if (impl->plugin == nullptr) {
    if (error) *error = "no LV2 plug-in in " + bundle;
    lilv_world_free(impl->world);
    return nullptr;
  }
  return std::unique_ptr<Lv2Host>(new Lv2Host(std::move(impl)));
}

Lv2Host::Lv2Host(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  Impl& m = *impl_;
  m.owner = this;
  m.map.handle = &m;
  m.map.map = [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<Impl*>(h)->id(uri); };
  m.unmap.handle = &m;
  m.unmap.unmap = [](LV2_URID_Unmap_Handle h, LV2_URID urid) -> const char* {
    const auto& uris = static_cast<Impl*>(h)->uris;
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
  };
  m.log.handle = &m;
  m.log.printf = logPrintf;
  m.log.vprintf = logVprintf;
  m.schedule.handle = &m;
  m.schedule.schedule_work = [](LV2_Worker_Schedule_Handle h, uint32_t size, const void* data) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    static_cast<Impl*>(h)->jobs.emplace_back(bytes, bytes + size);
    return LV2_WORKER_SUCCESS;
  };

  const uint32_t count = lilv_plugin_get_num_ports(m.plugin);
  m.controls.assign(count, 0.0f);
  std::vector<float> defaults(count, 0.0f);
  lilv_plugin_get_port_ranges_float(m.plugin, nullptr, nullptr, defaults.data());
  LilvNode* control = lilv_new_uri(m.world, LV2_CORE__ControlPort);
  LilvNode* input = lilv_new_uri(m.world, LV2_CORE__InputPort);
  for (uint32_t i = 0; i < count; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(m.plugin, i);
    if (lilv_port_is_a(m.plugin, port, control)) {
      m.controls[i] = defaults[i] == defaults[i] ? defaults[i] : 0.0f;
      if (lilv_port_is_a(m.plugin, port, input)) controlIndices_.push_back(i);
    }
  }
  lilv_node_free(control);
  lilv_node_free(input);
  setBlockSize(1024);
}

Lv2Host::~Lv2Host() {
  close();
  lilv_world_free(impl_->world);
}

LV2_URID Lv2Host::map(const char* uri) { return impl_->id(uri); }

void* Lv2Host::instanceHandle() const {
  return impl_->instance != nullptr ? lilv_instance_get_handle(impl_->instance) : nullptr;
}

void Lv2Host::setBlockSize(int32_t frames) {
  impl_->outLeft.assign(static_cast<size_t>(std::max(frames, 1)), 0.0f);
  impl_->outRight.assign(static_cast<size_t>(std::max(frames, 1)), 0.0f);
  if (impl_->instance != nullptr) {
    lilv_instance_connect_port(impl_->instance, lv2::kAudioOutLeft, impl_->outLeft.data());
    lilv_instance_connect_port(impl_->instance, lv2::kAudioOutRight, impl_->outRight.data());
  }
}

void Lv2Host::setTempo(double bpm) {
  if (bpm != impl_->tempo) impl_->tempoSent = false;
  impl_->tempo = bpm;
}

void Lv2Host::ensureInstance() {
  Impl& m = *impl_;
  if (m.instance != nullptr) return;
  m.instance = lilv_plugin_instantiate(m.plugin, sampleRate_, m.features);
  if (m.instance == nullptr) return;
  for (uint32_t i = 0; i < m.controls.size(); ++i) {
    if (i == lv2::kControlIn || i == lv2::kAudioOutLeft || i == lv2::kAudioOutRight) continue;
    lilv_instance_connect_port(m.instance, i, i == lv2::kPeakOut ? &m.peak : &m.controls[i]);
  }
  lilv_instance_connect_port(m.instance, lv2::kControlIn, m.sequence.data());
  setBlockSize(static_cast<int32_t>(m.outLeft.size()));
  m.worker =
      static_cast<const LV2_Worker_Interface*>(lilv_instance_get_extension_data(m.instance, LV2_WORKER__interface));
  m.state = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(m.instance, LV2_STATE__interface));
}

void Lv2Host::resume() {
  ensureInstance();
  if (impl_->instance != nullptr && !impl_->active) {
    lilv_instance_activate(impl_->instance);
    impl_->active = true;
  }
}

void Lv2Host::suspend() {
  if (impl_->instance != nullptr && impl_->active) {
    lilv_instance_deactivate(impl_->instance);
    impl_->active = false;
  }
}

void Lv2Host::close() {
  suspend();
  if (impl_->instance != nullptr) lilv_instance_free(impl_->instance);
  impl_->instance = nullptr;
}

void Lv2Host::sendMidi(const std::vector<MidiMessage>& messages) {
  impl_->midi.insert(impl_->midi.end(), messages.begin(), messages.end());
}

void Lv2Host::setPathProperty(const std::string& propertyUri, const std::string& path) {
  impl_->pathProperties.emplace_back(propertyUri, path);
}

void Lv2Host::process(float* left, float* right, int32_t frames) {
  Impl& m = *impl_;
  frames = std::clamp(frames, 0, static_cast<int32_t>(m.outLeft.size()));
  if (m.instance == nullptr) {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    return;
  }
  auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(m.sequence.data());
  seq->atom.type = m.id(LV2_ATOM__Sequence);
  seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
  seq->body.unit = 0;
  seq->body.pad = 0;
  if (!m.tempoSent) {
    // time:Position { time:beatsPerMinute bpm }
    struct {
      LV2_Atom_Object_Body object;
      LV2_Atom_Property_Body property;
      float bpm;
    } position{};
    position.object.otype = m.id(LV2_TIME__Position);
    position.property.key = m.id(LV2_TIME__beatsPerMinute);
    position.property.value.type = m.id(LV2_ATOM__Float);
    position.property.value.size = sizeof(float);
    position.bpm = static_cast<float>(m.tempo);
    m.tempoSent = appendEvent(seq, 0, m.id(LV2_ATOM__Object), &position, sizeof position);
  }
  for (const auto& [property, path] : m.pathProperties) {
    // patch:Set { patch:property <property> ; patch:value "path"^^atom:Path }
    std::vector<uint8_t> body(sizeof(LV2_Atom_Object_Body) + 2 * sizeof(LV2_Atom_Property_Body) + 8 +
                              lv2_atom_pad_size(static_cast<uint32_t>(path.size() + 1)));
    auto* object = reinterpret_cast<LV2_Atom_Object_Body*>(body.data());
    object->otype = m.id(LV2_PATCH__Set);
    auto* key = reinterpret_cast<LV2_Atom_Property_Body*>(object + 1);
    key->key = m.id(LV2_PATCH__property);
    key->value.type = m.id(LV2_ATOM__URID);
    key->value.size = sizeof(uint32_t);
    auto* urid = reinterpret_cast<uint32_t*>(key + 1);
    *urid = m.id(property.c_str());
    auto* value = reinterpret_cast<LV2_Atom_Property_Body*>(reinterpret_cast<uint8_t*>(urid) + 8);  // padded
    value->key = m.id(LV2_PATCH__value);
    value->value.type = m.id(LV2_ATOM__Path);
    value->value.size = static_cast<uint32_t>(path.size() + 1);
    std::memcpy(value + 1, path.c_str(), path.size() + 1);
    const auto used = static_cast<uint32_t>(reinterpret_cast<uint8_t*>(value + 1) - body.data() + path.size() + 1);
    appendEvent(seq, 0, m.id(LV2_ATOM__Object), body.data(), used);
  }
  m.pathProperties.clear();
  const uint32_t midiType = m.id(LV2_MIDI__MidiEvent);
  std::stable_sort(m.midi.begin(), m.midi.end(),
                   [](const MidiMessage& a, const MidiMessage& b) { return a.deltaFrames < b.deltaFrames; });
  for (const MidiMessage& message : m.midi) {
    const uint8_t bytes[3] = {message.status, message.data1, message.data2};
    const uint32_t size = (message.status & 0xF0) == 0xC0 || (message.status & 0xF0) == 0xD0 ? 2 : 3;
    appendEvent(seq, std::clamp(message.deltaFrames, 0, std::max(frames - 1, 0)), midiType, bytes, size);
  }
  m.midi.clear();
  lilv_instance_run(m.instance, static_cast<uint32_t>(frames));
  std::copy_n(m.outLeft.data(), frames, left);
  std::copy_n(m.outRight.data(), frames, right);
  runWorker();
}

void Lv2Host::runWorker() {
  Impl& m = *impl_;
  if (m.worker == nullptr) {
    m.jobs.clear();
    return;
  }
  const LV2_Handle handle = lilv_instance_get_handle(m.instance);
  std::vector<std::vector<uint8_t>> jobs;
  jobs.swap(m.jobs);
  for (const auto& job : jobs) {
    m.worker->work(
        handle,
        [](LV2_Worker_Respond_Handle h, uint32_t size, const void* data) {
          const auto* bytes = static_cast<const uint8_t*>(data);
          static_cast<Impl*>(h)->responses.emplace_back(bytes, bytes + size);
          return LV2_WORKER_SUCCESS;
        },
        &m, static_cast<uint32_t>(job.size()), job.data());
  }
  std::vector<std::vector<uint8_t>> responses;
  responses.swap(m.responses);
  for (const auto& response : responses) {
    m.worker->work_response(handle, static_cast<uint32_t>(response.size()), response.data());
  }
  if (m.worker->end_run != nullptr) m.worker->end_run(handle);
}

std::vector<uint8_t> Lv2Host::getChunk() {
  ensureInstance();
  Impl& m = *impl_;
  if (m.instance == nullptr || m.state == nullptr) return {};
  struct Saved {
    LV2_URID key;
    std::vector<uint8_t> bytes;
  } saved{m.id(lv2::kStateRecordUri), {}};
  m.state->save(
      lilv_instance_get_handle(m.instance),
      [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t, uint32_t) {
        auto& s = *static_cast<Saved*>(h);
        if (key == s.key) s.bytes.assign(static_cast<const uint8_t*>(value), static_cast<const uint8_t*>(value) + size);
        return LV2_STATE_SUCCESS;
      },
      &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, m.features);
  return saved.bytes;
}

bool Lv2Host::setChunk(const std::vector<uint8_t>& record) {
  ensureInstance();
  Impl& m = *impl_;
  if (m.instance == nullptr || m.state == nullptr) return false;
  struct Given {
    LV2_URID key, type;
    const std::vector<uint8_t>& bytes;
  } given{m.id(lv2::kStateRecordUri), m.id(LV2_ATOM__Chunk), record};
  const LV2_State_Status status = m.state->restore(
      lilv_instance_get_handle(m.instance),
      [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
        const auto& g = *static_cast<Given*>(h);
        if (key != g.key) return nullptr;
        *size = g.bytes.size();
        *type = g.type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return g.bytes.data();
      },
      &given, 0, m.features);
  return status == LV2_STATE_SUCCESS;
}

bool Lv2Host::recordingResult(bool& attempted, int32_t& result, std::string& message) {
  ensureInstance();
  lv2::EditorAccess* editor = impl_->instance ? lv2::editorBehind(lilv_instance_get_handle(impl_->instance)) : nullptr;
  if (editor == nullptr) return false;
  int32_t tried = 0;
  char text[256] = {};
  editor->recordingStatus(tried, result, text, static_cast<int32_t>(sizeof text));
  attempted = tried != 0;
  message = text;
  return true;
}

std::string Lv2Host::parameterName(int32_t index) {
  if (index < 0 || index >= parameterCount()) return {};
  const LilvPort* port = lilv_plugin_get_port_by_index(impl_->plugin, controlIndices_[static_cast<size_t>(index)]);
  LilvNode* name = lilv_port_get_name(impl_->plugin, port);
  std::string text = name ? lilv_node_as_string(name) : "";
  lilv_node_free(name);
  return text;
}

void Lv2Host::setParameter(int32_t index, float value) {
  if (index >= 0 && index < parameterCount()) impl_->controls[controlIndices_[static_cast<size_t>(index)]] = value;
}

float Lv2Host::parameter(int32_t index) const {
  if (index < 0 || index >= static_cast<int32_t>(controlIndices_.size())) return 0.0f;
  return impl_->controls[controlIndices_[static_cast<size_t>(index)]];
}

intptr_t Lv2Host::probeEditor(EditorProbeCommand command, EditorProbeRecord& record) {
  ensureInstance();
  lv2::EditorAccess* editor = impl_->instance ? lv2::editorBehind(lilv_instance_get_handle(impl_->instance)) : nullptr;
  return editor != nullptr ? editor->probeEditor(command, &record) : 0;
}

bool Lv2Host::setContentScale(double scale) {
  ensureInstance();
  lv2::EditorAccess* editor = impl_->instance ? lv2::editorBehind(lilv_instance_get_handle(impl_->instance)) : nullptr;
  if (editor == nullptr) return false;
  editor->setEditorScale(scale);
  return true;
}

std::string Lv2Host::uri() const { return lilv_node_as_uri(lilv_plugin_get_uri(impl_->plugin)); }

std::string Lv2Host::name() const {
  LilvNode* name = lilv_plugin_get_name(impl_->plugin);
  std::string text = name ? lilv_node_as_string(name) : "";
  lilv_node_free(name);
  return text;
}

std::vector<Lv2Host::PortInfo> Lv2Host::ports() const {
  const Impl& m = *impl_;
  const uint32_t count = lilv_plugin_get_num_ports(m.plugin);
  std::vector<float> minimum(count), maximum(count), defaults(count);
  lilv_plugin_get_port_ranges_float(m.plugin, minimum.data(), maximum.data(), defaults.data());
  std::vector<PortInfo> out;
  const char* const kinds[][2] = {
      {LV2_CORE__ControlPort, "control"}, {LV2_CORE__AudioPort, "audio"}, {LV2_ATOM__AtomPort, "atom"}};
  for (uint32_t i = 0; i < count; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(m.plugin, i);
    PortInfo info{i,          lilv_node_as_string(lilv_port_get_symbol(m.plugin, port)), "", "", minimum[i], maximum[i],
                  defaults[i]};
    LilvNode* name = lilv_port_get_name(m.plugin, port);
    info.name = name ? lilv_node_as_string(name) : "";
    lilv_node_free(name);
    LilvNode* output = lilv_new_uri(m.world, LV2_CORE__OutputPort);
    info.kind = lilv_port_is_a(m.plugin, port, output) ? "out " : "in  ";
    lilv_node_free(output);
    for (const auto& kind : kinds) {
      LilvNode* node = lilv_new_uri(m.world, kind[0]);
      if (lilv_port_is_a(m.plugin, port, node)) info.kind += kind[1];
      lilv_node_free(node);
    }
    out.push_back(info);
  }
  return out;
}

std::vector<std::string> Lv2Host::uiUris() const {
  std::vector<std::string> out;
  LilvUIs* uis = lilv_plugin_get_uis(impl_->plugin);
  LILV_FOREACH(uis, i, uis) out.emplace_back(lilv_node_as_uri(lilv_ui_get_uri(lilv_uis_get(uis, i))));
  lilv_uis_free(uis);
  return out;
}

}  // namespace tarnwick::host
