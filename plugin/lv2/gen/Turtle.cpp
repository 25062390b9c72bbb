// The bundle's Turtle: prefixes from the LV2 headers, ports from the parameter table and the port layout.
#include "plugin/lv2/gen/Turtle.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <charconv>
#include <string_view>

#include "engine/Engine.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterText.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::lv2 {

namespace {

constexpr bool hostParametersAreUnit() {
  for (int32_t i = 0; i < kHostParamCount; ++i) {
    if (parameterInfo(i)->range != ValueRange::kUnit) return false;
  }
  return true;
}
// Every control port declares 0..1: the range admitValue brings a host parameter into.
static_assert(hostParametersAreUnit(), "a host parameter with another range needs its own port range");

struct Prefix {
  const char* name;
  const char* uri;
};

constexpr Prefix kPluginPrefixes[] = {
    {"atom", LV2_ATOM_PREFIX},
    {"doap", "http://usefulinc.com/ns/doap#"},
    {"foaf", "http://xmlns.com/foaf/0.1/"},
    {"lv2", LV2_CORE_PREFIX},
    {"midi", LV2_MIDI_PREFIX},
    {"opts", LV2_OPTIONS_PREFIX},
    {"patch", LV2_PATCH_PREFIX},
    {"rdfs", "http://www.w3.org/2000/01/rdf-schema#"},
    {"state", LV2_STATE_PREFIX},
    {"time", LV2_TIME_PREFIX},
    {"ui", LV2_UI_PREFIX},
    {"urid", LV2_URID_PREFIX},
    {"work", LV2_WORKER_PREFIX},
};
constexpr Prefix kManifestPrefixes[] = {
    {"lv2", LV2_CORE_PREFIX},
    {"rdfs", "http://www.w3.org/2000/01/rdf-schema#"},
    {"ui", LV2_UI_PREFIX},
};

// Appends every part to out (no operator+ chains: GCC 12 raises false alarms inside them).
template <typename... Parts>
void add(std::string& out, const Parts&... parts) {
  (out.append(std::string_view(parts)), ...);
}

// A string literal; names never hold quotes or backslashes today, but a table edit must not break the file.
std::string literal(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// Opens one lv2:port entry with its types, index, symbol and name; the caller adds its lines and closes it.
void addPortHead(std::string& out, bool first, std::string_view types, uint32_t index, const PortText& text) {
  add(out, first ? "\tlv2:port [\n" : "\t] , [\n", "\t\ta ", types, " ;\n");
  add(out, "\t\tlv2:index ", std::to_string(index), " ;\n");
  add(out, "\t\tlv2:symbol ", literal(text.symbol), " ;\n");
  add(out, "\t\tlv2:name ", literal(text.name));
}

template <size_t N>
std::string withPrefixes(const Prefix (&prefixes)[N]) {
  std::string out;
  for (const Prefix& p : prefixes) add(out, "@prefix ", p.name, ": <", p.uri, "> .\n");
  return out;
}

void addPortLine(std::string& out, std::string_view property, std::string_view value) {
  add(out, " ;\n\t\t", property, " ", value);
}

void addRange(std::string& out, float minimum, float maximum) {
  addPortLine(out, "lv2:minimum", turtleNumber(minimum));
  addPortLine(out, "lv2:maximum", turtleNumber(maximum));
}

void addControlPorts(std::string& out, const std::array<float, kHostParamCount>& defaults) {
  for (int32_t i = 0; i < kHostParamCount; ++i) {
    char name[kParamTextCapacity] = {};
    parameterName(i, name);
    const auto at = static_cast<size_t>(i);
    addPortHead(out, i == 0, "lv2:InputPort , lv2:ControlPort", static_cast<uint32_t>(i),
                {kParameterSymbols[at], name});
    addPortLine(out, "lv2:default", turtleNumber(defaults[at]));
    addRange(out, 0.0f, 1.0f);
    out += '\n';
  }
}

void addOtherPorts(std::string& out) {
  addPortHead(out, false, "lv2:InputPort , atom:AtomPort", kControlIn, kControlInText);
  addPortLine(out, "atom:bufferType", "atom:Sequence");
  addPortLine(out, "atom:supports",
              kDeclaresWorker ? "midi:MidiEvent , time:Position , patch:Message" : "midi:MidiEvent , time:Position");
  addPortLine(out, "lv2:designation", "lv2:control");
  out += '\n';
  addPortHead(out, false, "lv2:OutputPort , lv2:AudioPort", kAudioOutLeft, kAudioOutLeftText);
  out += '\n';
  addPortHead(out, false, "lv2:OutputPort , lv2:AudioPort", kAudioOutRight, kAudioOutRightText);
  out += '\n';
  addPortHead(out, false, "lv2:OutputPort , lv2:ControlPort", kPeakOut, kPeakOutText);
  addRange(out, 0.0f, 1.0f);
  out += "\n\t] .\n";
}

}  // namespace

std::array<float, kHostParamCount> factoryValues() {
  Engine engine(nullptr, Engine::Role::kModel);
  std::array<float, kHostParamCount> values{};
  for (int32_t i = 0; i < kHostParamCount; ++i) values[static_cast<size_t>(i)] = engine.getParameter(i);
  return values;
}

std::string turtleNumber(float value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  std::string out(text, error == std::errc() ? end : text);
  if (out.find('.') == std::string::npos) out += ".0";  // a decimal, not an integer
  return out;
}

std::string manifestTurtle() {
  std::string out = withPrefixes(kManifestPrefixes);
  add(out, "\n<", kPluginUri, ">\n\ta lv2:Plugin ;\n");
  add(out, "\tlv2:binary <", kPluginBinary, "> ;\n");
  add(out, "\trdfs:seeAlso <", kPluginTurtleFile, "> .\n");
  if (kDeclaresUi) {
    add(out, "\n<", kUiUri, ">\n\ta ui:X11UI ;\n");
    add(out, "\tlv2:binary <", kUiBinary, "> ;\n");
    add(out, "\trdfs:seeAlso <", kPluginTurtleFile, "> .\n");
  }
  return out;
}

std::string pluginTurtle(const BundleVersion& version, const std::array<float, kHostParamCount>& defaults) {
  std::string out = withPrefixes(kPluginPrefixes);
  add(out, "\n<", kPluginUri, ">\n\ta lv2:Plugin , lv2:InstrumentPlugin , doap:Project ;\n");
  add(out, "\tdoap:name ", literal(kPluginName), " ;\n");
  add(out, "\tdoap:license <", kLicenseUri, "> ;\n");
  add(out, "\tdoap:maintainer [\n\t\tfoaf:name ", literal(kVendorName), "\n\t] ;\n");
  add(out, "\tlv2:minorVersion ", std::to_string(version.minor), " ;\n");
  add(out, "\tlv2:microVersion ", std::to_string(version.micro), " ;\n");
  add(out, "\tlv2:requiredFeature urid:map ;\n");
  if (kDeclaresWorker) {
    add(out, "\tlv2:optionalFeature lv2:hardRTCapable , state:mapPath , work:schedule ;\n");
    add(out, "\tlv2:extensionData state:interface , work:interface ;\n");
  } else {
    add(out, "\tlv2:optionalFeature lv2:hardRTCapable , state:mapPath ;\n");
    add(out, "\tlv2:extensionData state:interface ;\n");
  }
  if (kDeclaresUi) add(out, "\tui:ui <", kUiUri, "> ;\n");
  // The recording as a file property: a host's own controls can set it (patch:Set), and the worker
  // loads it.
  if (kDeclaresWorker) add(out, "\tpatch:writable <", kStateRecordingUri, "> ;\n");
  addControlPorts(out, defaults);
  addOtherPorts(out);
  if (kDeclaresWorker) {
    add(out, "\n<", kStateRecordingUri, ">\n\ta lv2:Parameter ;\n");
    add(out, "\trdfs:label ", literal(kRecordingLabel), " ;\n");
    add(out, "\trdfs:range atom:Path .\n");
  }
  if (kDeclaresUi) {
    add(out, "\n<", kUiUri, ">\n\ta ui:X11UI ;\n");
    add(out, "\tlv2:requiredFeature ui:idleInterface , ui:parent , <", LV2_INSTANCE_ACCESS_URI, "> ;\n");
    add(out, "\tlv2:optionalFeature ui:resize , ui:touch , opts:options ;\n");
    add(out, "\tlv2:extensionData ui:idleInterface .\n");
  }
  return out;
}

}  // namespace tarnwick::lv2
