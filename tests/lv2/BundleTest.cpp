// The generated LV2 bundle as a host reads it: lilv loads the build's bundle folder (and nothing else) and
// finds the instrument under its URI, its features, its UI, and one control port per host parameter with
// the parameter table's name and range and the factory state's value as default.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterText.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::lv2 {
namespace {

class Bundle {
 public:
  Bundle() : world_(lilv_world_new()) {
    LilvNode* folder = lilv_new_file_uri(world_, nullptr, TARNWICK_LV2_BUNDLE "/");
    lilv_world_load_bundle(world_, folder);
    lilv_node_free(folder);
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node(kPluginUri));
  }
  ~Bundle() {
    for (LilvNode* n : nodes_) lilv_node_free(n);
    lilv_world_free(world_);
  }
  Bundle(const Bundle&) = delete;
  Bundle& operator=(const Bundle&) = delete;

  // A URI node that lives as long as the bundle.
  const LilvNode* node(const char* uri) { return nodes_.emplace_back(lilv_new_uri(world_, uri)); }
  bool ask(const char* subject, const char* property, const char* object) {
    return lilv_world_ask(world_, node(subject), node(property), node(object));
  }
  // The value of a property that has exactly one, as text ("" when it has none).
  std::string value(const char* subject, const char* property) {
    LilvNode* v = lilv_world_get(world_, node(subject), node(property), nullptr);
    const std::string text = v ? lilv_node_as_string(v) : "";
    lilv_node_free(v);
    return text;
  }
  std::string fileName(const LilvNode* fileUri) {
    char* path = lilv_file_uri_parse(lilv_node_as_uri(fileUri), nullptr);
    const std::string name = path ? std::filesystem::path(path).filename().string() : "";
    lilv_free(path);
    return name;
  }

  const LilvPlugin* plugin = nullptr;

 private:
  LilvWorld* world_;
  std::vector<LilvNode*> nodes_;
};

struct Range {
  float def = -1.0f, min = -1.0f, max = -1.0f;
  bool hasDefault = false;
};

Range rangeOf(const LilvPlugin* plugin, const LilvPort* port) {
  LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
  lilv_port_get_range(plugin, port, &def, &min, &max);
  Range r;
  r.hasDefault = def != nullptr;
  if (def) r.def = lilv_node_as_float(def);
  if (min) r.min = lilv_node_as_float(min);
  if (max) r.max = lilv_node_as_float(max);
  lilv_node_free(def);
  lilv_node_free(min);
  lilv_node_free(max);
  return r;
}

TEST(Lv2Bundle, DescribesTheInstrumentItsFeaturesAndItsUiWhenItHasOne) {
  Bundle b;
  ASSERT_NE(b.plugin, nullptr) << "no plug-in " << kPluginUri << " in " << TARNWICK_LV2_BUNDLE;
  EXPECT_TRUE(lilv_plugin_verify(b.plugin));
  EXPECT_TRUE(b.ask(kPluginUri, "http://www.w3.org/1999/02/22-rdf-syntax-ns#type", LV2_CORE__InstrumentPlugin));
  LilvNode* name = lilv_plugin_get_name(b.plugin);
  LilvNode* author = lilv_plugin_get_author_name(b.plugin);
  EXPECT_STREQ(lilv_node_as_string(name), "Tarnwick");
  EXPECT_STREQ(author ? lilv_node_as_string(author) : "", "Pemberlo Audio");
  lilv_node_free(name);
  lilv_node_free(author);
  EXPECT_EQ(b.fileName(lilv_plugin_get_library_uri(b.plugin)), "Tarnwick_lv2.so");
  EXPECT_EQ(b.value(kPluginUri, LV2_CORE__minorVersion), std::to_string(TARNWICK_LV2_MINOR_VERSION));
  EXPECT_EQ(b.value(kPluginUri, LV2_CORE__microVersion), std::to_string(TARNWICK_LV2_MICRO_VERSION));

  // urid:map is the only feature a host must provide.
  LilvNodes* required = lilv_plugin_get_required_features(b.plugin);
  EXPECT_EQ(lilv_nodes_size(required), 1u);
  EXPECT_TRUE(lilv_nodes_contains(required, b.node(LV2_URID__map)));
  lilv_nodes_free(required);
  for (const char* feature : {LV2_CORE__hardRTCapable, LV2_STATE__mapPath}) {
    EXPECT_TRUE(b.ask(kPluginUri, LV2_CORE__optionalFeature, feature)) << feature;
  }
  EXPECT_EQ(b.ask(kPluginUri, LV2_CORE__optionalFeature, LV2_WORKER__schedule), kDeclaresWorker);
  EXPECT_TRUE(lilv_plugin_has_extension_data(b.plugin, b.node(LV2_STATE__interface)));
  EXPECT_EQ(lilv_plugin_has_extension_data(b.plugin, b.node(LV2_WORKER__interface)), kDeclaresWorker);

  LilvUIs* uis = lilv_plugin_get_uis(b.plugin);
  ASSERT_EQ(lilv_uis_size(uis), kDeclaresUi ? 1u : 0u);
  if (kDeclaresUi) {
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), kUiUri);
    EXPECT_TRUE(lilv_ui_is_a(ui, b.node(LV2_UI__X11UI)));
    EXPECT_EQ(b.fileName(lilv_ui_get_binary_uri(ui)), "Tarnwick_lv2ui.so");
    for (const char* feature : {LV2_UI__idleInterface, LV2_UI__parent, LV2_INSTANCE_ACCESS_URI}) {
      EXPECT_TRUE(b.ask(kUiUri, LV2_CORE__requiredFeature, feature)) << feature;
    }
    EXPECT_TRUE(b.ask(kUiUri, LV2_CORE__extensionData, LV2_UI__idleInterface));
    for (const char* feature : {LV2_UI__resize, LV2_UI__touch, LV2_OPTIONS__options}) {
      EXPECT_TRUE(b.ask(kUiUri, LV2_CORE__optionalFeature, feature)) << feature;
    }
  }
  lilv_uis_free(uis);
}

TEST(Lv2Bundle, ControlPortsFollowTheParameterTableAndTheFactoryState) {
  Bundle b;
  ASSERT_NE(b.plugin, nullptr);
  ASSERT_EQ(lilv_plugin_get_num_ports(b.plugin), kHostParamCount + 1u + 2u + 1u);
  Engine factory(nullptr, Engine::Role::kModel);
  for (int32_t i = 0; i < kHostParamCount; ++i) {
    SCOPED_TRACE("parameter " + std::to_string(i));
    const LilvPort* port = lilv_plugin_get_port_by_index(b.plugin, static_cast<uint32_t>(i));
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(lilv_port_is_a(b.plugin, port, b.node(LV2_CORE__ControlPort)));
    EXPECT_TRUE(lilv_port_is_a(b.plugin, port, b.node(LV2_CORE__InputPort)));
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(b.plugin, port)), kParameterSymbols[static_cast<size_t>(i)]);
    char name[kParamTextCapacity] = {};
    ASSERT_TRUE(parameterName(i, name));
    LilvNode* portName = lilv_port_get_name(b.plugin, port);
    EXPECT_STREQ(portName ? lilv_node_as_string(portName) : "", name);
    lilv_node_free(portName);
    // Host parameters take 0..1 (ValueRange::kUnit); the default is what a fresh instrument reads back.
    ASSERT_EQ(parameterInfo(i)->range, ValueRange::kUnit);
    const Range r = rangeOf(b.plugin, port);
    EXPECT_EQ(r.min, 0.0f);
    EXPECT_EQ(r.max, 1.0f);
    EXPECT_TRUE(r.hasDefault);
    EXPECT_EQ(r.def, factory.getParameter(i));
  }
}

TEST(Lv2Bundle, PortSymbolsAreUniqueIdentifiersAndTheOtherPortsFollowTheControls) {
  Bundle b;
  ASSERT_NE(b.plugin, nullptr);
  const std::regex identifier("[A-Za-z_][A-Za-z0-9_]*");
  std::set<std::string> symbols;
  for (uint32_t i = 0; i < lilv_plugin_get_num_ports(b.plugin); ++i) {
    const std::string symbol =
        lilv_node_as_string(lilv_port_get_symbol(b.plugin, lilv_plugin_get_port_by_index(b.plugin, i)));
    EXPECT_TRUE(std::regex_match(symbol, identifier)) << symbol;
    EXPECT_TRUE(symbols.insert(symbol).second) << symbol << " twice";
  }
  EXPECT_EQ(symbols.size(), kPortCount);

  const LilvPort* control =
      lilv_plugin_get_port_by_designation(b.plugin, b.node(LV2_CORE__InputPort), b.node(LV2_CORE__control));
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(lilv_port_get_index(b.plugin, control), kControlIn);
  EXPECT_TRUE(lilv_port_is_a(b.plugin, control, b.node(LV2_ATOM__AtomPort)));
  EXPECT_TRUE(lilv_port_supports_event(b.plugin, control, b.node(LV2_MIDI__MidiEvent)));
  EXPECT_TRUE(lilv_port_supports_event(b.plugin, control, b.node(LV2_TIME__Position)));
  LilvNodes* buffer = lilv_port_get_value(b.plugin, control, b.node(LV2_ATOM__bufferType));
  EXPECT_TRUE(buffer && lilv_nodes_contains(buffer, b.node(LV2_ATOM__Sequence)));
  lilv_nodes_free(buffer);

  for (uint32_t i : {kAudioOutLeft, kAudioOutRight}) {
    const LilvPort* out = lilv_plugin_get_port_by_index(b.plugin, i);
    EXPECT_TRUE(lilv_port_is_a(b.plugin, out, b.node(LV2_CORE__AudioPort))) << i;
    EXPECT_TRUE(lilv_port_is_a(b.plugin, out, b.node(LV2_CORE__OutputPort))) << i;
  }
  const LilvPort* meter = lilv_plugin_get_port_by_index(b.plugin, kPeakOut);
  EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(b.plugin, meter)), "peak");
  EXPECT_TRUE(lilv_port_is_a(b.plugin, meter, b.node(LV2_CORE__ControlPort)));
  EXPECT_TRUE(lilv_port_is_a(b.plugin, meter, b.node(LV2_CORE__OutputPort)));
  const Range r = rangeOf(b.plugin, meter);
  EXPECT_EQ(r.min, 0.0f);
  EXPECT_EQ(r.max, 1.0f);
}

}  // namespace
}  // namespace tarnwick::lv2
