// The LV2 plug-in's descriptor: the one export of Tarnwick_lv2.so, and the state interface.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <cstring>
#include <new>
#include <type_traits>

#include "plugin/lv2/InstanceAccess.h"
#include "plugin/lv2/Lv2Instrument.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::lv2 {
namespace {

// The host's handle: the instance access record first (what the UI binary finds through instance
// access), then the instrument.
struct Lv2Handle {
  InstanceAccess access;
  Lv2Instrument* instrument;
};
static_assert(std::is_standard_layout_v<Lv2Handle>, "the UI binary reads the access record at the handle");

Lv2Instrument* self(LV2_Handle instance) { return static_cast<Lv2Handle*>(instance)->instrument; }

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features) {
  Lv2Instrument* instrument = Lv2Instrument::create(sampleRate, features);
  if (instrument == nullptr) return nullptr;
  auto* handle = new (std::nothrow) Lv2Handle{InstanceAccess{}, instrument};
  if (handle == nullptr) {
    delete instrument;
    return nullptr;
  }
  handle->access.editor = instrument;
  return handle;
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) { self(instance)->connect(port, data); }
void activate(LV2_Handle instance) { self(instance)->activate(); }
void run(LV2_Handle instance, uint32_t frames) { self(instance)->run(frames); }
void deactivate(LV2_Handle) {}
void cleanup(LV2_Handle instance) {
  delete self(instance);
  delete static_cast<Lv2Handle*>(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const* features) {
  return self(instance)->save(store, handle, features);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const* features) {
  return self(instance)->restore(retrieve, handle, features);
}

const LV2_State_Interface kStateInterface = {save, restore};

LV2_Worker_Status work(LV2_Handle instance, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                       uint32_t size, const void* data) {
  return self(instance)->work(respond, handle, size, data);
}
// The loaded recording reaches the audio side through the instrument's own hand-over: nothing to answer.
LV2_Worker_Status workResponse(LV2_Handle, uint32_t, const void*) { return LV2_WORKER_SUCCESS; }

const LV2_Worker_Interface kWorkerInterface = {work, workResponse, nullptr};

const void* extensionData(const char* uri) {
  if (std::strcmp(uri, LV2_STATE__interface) == 0) return &kStateInterface;
  if (std::strcmp(uri, LV2_WORKER__interface) == 0) return &kWorkerInterface;
  return nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};

}  // namespace
}  // namespace tarnwick::lv2

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &tarnwick::lv2::kDescriptor : nullptr;
}
