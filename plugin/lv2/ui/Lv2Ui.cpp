// Tarnwick_lv2ui.so: the instrument's X11 UI for LV2 hosts. It reaches the instance the host runs in the
// same process (instance access) and opens that instance's own editor in the host's parent window; the
// host's idle calls drive it (no thread of its own). The editor's parameter changes become port writes,
// its gestures touch notifications, and its size the host's resize.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "plugin/lv2/InstanceAccess.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::lv2 {
namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri) {
  for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
    if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  }
  return nullptr;
}

// The host's scale for the UI (ui:scaleFactor in the options), 0 when it gives none.
double hostScale(const LV2_Feature* const* features) {
  const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
  const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
  if (options == nullptr || map == nullptr) return 0.0;
  const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
  const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
  for (const LV2_Options_Option* o = options; o->key != 0; ++o) {
    if (o->key == scaleFactor && o->type == atomFloat && o->size == sizeof(float) && o->value != nullptr) {
      return *static_cast<const float*>(o->value);
    }
  }
  return 0.0;
}

class Ui final : public EditorPort {
 public:
  Ui(EditorAccess& editor, LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch,
     const LV2UI_Resize* resize)
      : editor_(editor), write_(write), controller_(controller), touch_(touch), resize_(resize) {}
  Ui(const Ui&) = delete;
  Ui& operator=(const Ui&) = delete;
  // Only the UI that opened the editor closes it: a refused second UI leaves the first one's alone.
  ~Ui() {
    if (opened_) editor_.closeEditor();
  }

  EditorAccess& editor() { return editor_; }
  bool open(uintptr_t parent, double scale) { return opened_ = editor_.openEditor(parent, scale, this); }

  void writeParameter(int32_t index, float value) override {
    if (write_ == nullptr || index < 0 || index >= static_cast<int32_t>(kHostParamCount)) return;
    write_(controller_, static_cast<uint32_t>(index), sizeof value, 0, &value);
  }
  void touch(int32_t index, bool grabbed) override {
    if (touch_ == nullptr || index < 0 || index >= static_cast<int32_t>(kHostParamCount)) return;
    touch_->touch(touch_->handle, static_cast<uint32_t>(index), grabbed);
  }
  void resized(int32_t width, int32_t height) override {
    if (resize_ != nullptr) resize_->ui_resize(resize_->handle, width, height);
  }

 private:
  EditorAccess& editor_;
  LV2UI_Write_Function write_;
  LV2UI_Controller controller_;
  const LV2UI_Touch* touch_;
  const LV2UI_Resize* resize_;
  bool opened_ = false;
};

Ui* self(LV2UI_Handle handle) { return static_cast<Ui*>(handle); }

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
  if (pluginUri == nullptr || std::strcmp(pluginUri, kPluginUri) != 0 || widget == nullptr) return nullptr;
  // The instance handle (instance access) and the host's window to open in are both needed.
  EditorAccess* editor = editorBehind(const_cast<void*>(featureData(features, LV2_INSTANCE_ACCESS_URI)));
  const void* parent = featureData(features, LV2_UI__parent);
  if (editor == nullptr || parent == nullptr) return nullptr;
  auto* ui = new (std::nothrow)
      Ui(*editor, write, controller, static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch)),
         static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize)));
  if (ui == nullptr) return nullptr;
  if (!ui->open(reinterpret_cast<uintptr_t>(parent), hostScale(features))) {
    delete ui;
    return nullptr;
  }
  *widget = reinterpret_cast<LV2UI_Widget>(editor->editorWindow());
  int32_t width = 0, height = 0;
  editor->editorSize(width, height);
  ui->resized(width, height);
  return ui;
}

void cleanup(LV2UI_Handle handle) { delete self(handle); }

// The editor reads the instrument's values itself, automation included: port events carry nothing new.
void portEvent(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}

int idle(LV2UI_Handle handle) { return self(handle)->editor().idleEditor() ? 0 : 1; }

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
  if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace
}  // namespace tarnwick::lv2

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &tarnwick::lv2::kDescriptor : nullptr;
}
