// The LV2 UI binary in a real X window: instantiated as an LV2 host does (instance access to an instance
// the host runs through lilv, the host's parent window, resize, touch and the options with the host's
// scale), it embeds the instance's editor, the host's idle calls drive it, and a click on a switch
// becomes a port write inside a touch gesture.
#include "X11TestSupport.h"

#if defined(TARNWICK_TEST_XTEST)
#include <X11/extensions/XTest.h>
#endif
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <thread>

#include "engine/Constants.h"
#include "plugin/lv2/PortLayout.h"
#include "tools/hostlib/Lv2Host.h"

namespace tarnwick::test {
namespace {

struct UiHost {
  std::vector<std::pair<uint32_t, float>> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  std::vector<std::pair<int, int>> sizes;
};

class Lv2Ui : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    plugin_ = host::Lv2Host::load(TARNWICK_LV2_BUNDLE, &error);
    ASSERT_TRUE(plugin_) << error;
    plugin_->resume();
    library_ = dlopen(TARNWICK_LV2_BUNDLE "/Tarnwick_lv2ui.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library_, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    descriptor_ = entry(0);
    ASSERT_NE(descriptor_, nullptr);
    EXPECT_EQ(entry(1), nullptr);
  }
  void TearDown() override {
    if (ui_ != nullptr) descriptor_->cleanup(ui_);
    if (library_ != nullptr) dlclose(library_);
    plugin_.reset();
    X11Test::TearDown();
  }

  // Instantiates the UI with the given instance handle and parent (0: none offered).
  LV2UI_Handle instantiate(void* instance, ::Window parent, float scale) {
    map_.handle = plugin_.get();
    map_.map = [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<host::Lv2Host*>(h)->map(uri); };
    scale_ = scale;
    options_[0] = {LV2_OPTIONS_INSTANCE,          0,      plugin_->map(LV2_UI__scaleFactor), sizeof(float),
                   plugin_->map(LV2_ATOM__Float), &scale_};
    options_[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    resize_ = {&uiHost_, [](LV2UI_Feature_Handle h, int w, int hgt) {
                 static_cast<UiHost*>(h)->sizes.emplace_back(w, hgt);
                 return 0;
               }};
    touch_ = {&uiHost_, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                static_cast<UiHost*>(h)->touches.emplace_back(port, grabbed);
              }};
    features_ = {{LV2_INSTANCE_ACCESS_URI, instance},
                 {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))},
                 {LV2_UI__resize, &resize_},
                 {LV2_UI__touch, &touch_},
                 {LV2_URID__map, &map_},
                 {LV2_OPTIONS__options, options_}};
    std::vector<const LV2_Feature*> list;
    for (const LV2_Feature& f : features_) {
      if (f.data != nullptr) list.push_back(&f);
    }
    list.push_back(nullptr);
    return descriptor_->instantiate(
        descriptor_, lv2::kPluginUri, TARNWICK_LV2_BUNDLE,
        [](LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* data) {
          if (protocol == 0 && size == sizeof(float))
            static_cast<UiHost*>(c)->writes.emplace_back(port, *static_cast<const float*>(data));
        },
        &uiHost_, &widget_, list.data());
  }
  int idle() {
    const auto* idle = static_cast<const LV2UI_Idle_Interface*>(descriptor_->extension_data(LV2_UI__idleInterface));
    return idle != nullptr ? idle->idle(ui_) : -1;
  }

  std::unique_ptr<host::Lv2Host> plugin_;
  void* library_ = nullptr;
  const LV2UI_Descriptor* descriptor_ = nullptr;
  LV2UI_Handle ui_ = nullptr;
  LV2UI_Widget widget_ = nullptr;
  UiHost uiHost_;
  LV2_URID_Map map_{};
  float scale_ = 0.0f;
  LV2_Options_Option options_[2]{};
  LV2UI_Resize resize_{};
  LV2UI_Touch touch_{};
  std::vector<LV2_Feature> features_;
};

TEST_F(Lv2Ui, RefusesWithoutOurInstanceOrAParent) {
  int notOurs[4] = {};
  EXPECT_EQ(instantiate(notOurs, parent_, 1.0f), nullptr);
  EXPECT_EQ(instantiate(plugin_->instanceHandle(), 0, 1.0f), nullptr);
}

TEST_F(Lv2Ui, EmbedsTheEditorAtTheHostsScaleAndWritesPortsInsideTouches) {
  ui_ = instantiate(plugin_->instanceHandle(), parent_, 2.0f);
  ASSERT_NE(ui_, nullptr);
  // The widget is the editor's own window inside the parent, at the host's scale, and the host heard it.
  EXPECT_EQ(reinterpret_cast<uintptr_t>(widget_), editorWindowIn(parent_));
  ASSERT_FALSE(uiHost_.sizes.empty());
  EXPECT_EQ(uiHost_.sizes.front(), (std::pair<int, int>{2 * kEditorWidth, 2 * kEditorHeight}));
  EXPECT_EQ(attributesOf(editorWindowIn(parent_)).width, 2 * kEditorWidth);
  // A second UI on the same instance is refused while this one is open.
  LV2UI_Widget second = nullptr;
  std::swap(second, widget_);
  EXPECT_EQ(instantiate(plugin_->instanceHandle(), parent_, 1.0f), nullptr);
  std::swap(second, widget_);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(idle(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

#if defined(TARNWICK_TEST_XTEST)
  // A click on the move switch (logical 330, 46): one port write, inside a touch.
  XTestFakeMotionEvent(host_, DefaultScreen(host_), kParentX + 2 * 330, kParentY + 2 * 46, CurrentTime);
  XTestFakeButtonEvent(host_, 1, True, CurrentTime);
  XTestFakeButtonEvent(host_, 1, False, CurrentTime);
  XSync(host_, False);
  for (int pass = 0; pass < 400 && uiHost_.writes.empty(); ++pass) {
    idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(uiHost_.writes.size(), 1u);
  EXPECT_EQ(uiHost_.writes[0], (std::pair<uint32_t, float>{kMove, 1.0f}));
  for (int pass = 0; pass < 100 && uiHost_.touches.size() < 2; ++pass) idle();
  EXPECT_EQ(uiHost_.touches, (std::vector<std::pair<uint32_t, bool>>{{kMove, true}, {kMove, false}}));
#endif
  descriptor_->cleanup(ui_);
  ui_ = nullptr;
  sync();
  EXPECT_EQ(editorWindowIn(parent_), 0u);
}

}  // namespace
}  // namespace tarnwick::test
