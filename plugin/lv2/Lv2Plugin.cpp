// The LV2 plug-in's descriptor: the one export of Tarnwick_lv2.so, and the state interface.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

#include "plugin/lv2/Lv2Instrument.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::lv2 {
namespace {

Lv2Instrument* self(LV2_Handle instance) { return static_cast<Lv2Instrument*>(instance); }

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features) {
  return Lv2Instrument::create(sampleRate, features);
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) { self(instance)->connect(port, data); }
void activate(LV2_Handle instance) { self(instance)->activate(); }
void run(LV2_Handle instance, uint32_t frames) { self(instance)->run(frames); }
void deactivate(LV2_Handle) {}
void cleanup(LV2_Handle instance) { delete self(instance); }

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const* features) {
  return self(instance)->save(store, handle, features);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const* features) {
  return self(instance)->restore(retrieve, handle, features);
}

const LV2_State_Interface kStateInterface = {save, restore};

const void* extensionData(const char* uri) {
  if (std::strcmp(uri, LV2_STATE__interface) == 0) return &kStateInterface;
  return nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};

}  // namespace
}  // namespace tarnwick::lv2

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &tarnwick::lv2::kDescriptor : nullptr;
}
