// tarnwick-host info: loads a plug-in and prints everything a host can ask it without playing audio.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/host/CommandLine.h"
#include "tools/host/Commands.h"
#include "tools/host/Help.h"
#include "tools/host/InstrumentOptions.h"
#include "tools/hostlib/HostedInstrument.h"
#include "tools/hostlib/PluginHost.h"
#if defined(TARNWICK_HOST_LV2)
#include "tools/hostlib/Lv2Host.h"
#endif

namespace tarnwick::host {

namespace {

constexpr float kInfoSampleRate = 44100.0f;
constexpr int32_t kInfoBlockSize = 1024;
// Records announcing more pins or parameters than this are listed only up to it.
constexpr int32_t kMaxListed = 4096;

// The text in double quotes, for a column of its own.
std::string quoted(const char* text) { return std::string("\"").append(text).append("\""); }

// Every capability text a host may ask about, then two that no plug-in should claim.
const char* const kCapabilities[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "sendVstTimeInfo",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "offline",
    "plugAsChannelInsert",
    "plugAsSend",
    "mixDryWet",
    "noRealTime",
    "multipass",
    "metapass",
    "1in1out",
    "1in2out",
    "2in1out",
    "2in2out",
    "2in4out",
    "4in2out",
    "4in4out",
    "4in8out",
    "8in4out",
    "8in8out",
    "midiProgramNames",
    "conformsToWindowRules",
    "bypass",
    "Bypass",
    "noSuchCapability",
};

const char* categoryName(intptr_t category) {
  static const char* const names[] = {"unknown",     "effect",      "synth",       "analysis",
                                      "mastering",   "spatializer", "room effect", "surround effect",
                                      "restoration", "offline",     "shell",       "generator"};
  if (category < 0 || category >= static_cast<intptr_t>(sizeof names / sizeof names[0])) return "not a known category";
  return names[category];
}

std::string flagNames(int32_t flags) {
  struct Named {
    int32_t bit;
    const char* name;
  };
  static const Named names[] = {
      {effFlagsHasEditor, "hasEditor"},         {effFlagsCanReplacing, "canReplacing"},
      {effFlagsProgramChunks, "programChunks"}, {effFlagsIsSynth, "isSynth"},
      {effFlagsNoSoundInStop, "noSoundInStop"}, {effFlagsCanDoubleReplacing, "canDoubleReplacing"}};
  std::string text;
  int32_t rest = flags;
  for (const Named& named : names) {
    if (flags & named.bit) {
      text += text.empty() ? "" : " ";
      text += named.name;
      rest &= ~named.bit;
    }
  }
  if (rest) {
    char other[32];
    std::snprintf(other, sizeof other, "%sother 0x%" PRIX32, text.empty() ? "" : " ", static_cast<uint32_t>(rest));
    text += other;
  }
  return text.empty() ? "none" : text;
}

std::string fourCharacters(int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return text;
}

std::string pinFlagNames(int32_t flags) {
  std::string text;
  if (flags & kVstPinIsActive) text += "active";
  if (flags & kVstPinIsStereo) text += text.empty() ? "stereo" : " stereo";
  if (flags & kVstPinUseSpeaker) text += text.empty() ? "use-speaker" : " use-speaker";
  return text.empty() ? "none" : text;
}

void printIdentity(PluginHost& host, const std::string& path) {
  const AEffect& effect = *host.effect();
  std::printf("Plug-in          %s\n", path.c_str());
  std::printf("Effect name      %s\n", host.effectName().c_str());
  std::printf("Vendor           %s\n", host.vendorString().c_str());
  std::printf("Product          %s\n", host.productString().c_str());
  std::printf("Vendor version   %" PRIdPTR "\n", host.dispatch(effGetVendorVersion));
  std::printf("VST version      %" PRIdPTR "\n", host.dispatch(effGetVstVersion));
  std::printf("Unique ID        '%s' (0x%08" PRIX32 ")\n", fourCharacters(effect.uniqueID).c_str(),
              static_cast<uint32_t>(effect.uniqueID));
  const intptr_t category = host.dispatch(effGetPlugCategory);
  std::printf("Category         %" PRIdPTR " (%s)\n", category, categoryName(category));
}

void printRecord(const AEffect& effect) {
  std::printf("\nEffect record\n");
  std::printf("  numPrograms    %" PRId32 "\n", effect.numPrograms);
  std::printf("  numParams      %" PRId32 "\n", effect.numParams);
  std::printf("  numInputs      %" PRId32 "\n", effect.numInputs);
  std::printf("  numOutputs     %" PRId32 "\n", effect.numOutputs);
  std::printf("  flags          0x%08" PRIX32 " (%s)\n", static_cast<uint32_t>(effect.flags),
              flagNames(effect.flags).c_str());
  std::printf("  initialDelay   %" PRId32 "\n", effect.initialDelay);
  std::printf("  version        %" PRId32 "\n", effect.version);
}

void printPins(PluginHost& host, bool output, int32_t count) {
  for (int32_t index = 0; index < std::min(count, kMaxListed); ++index) {
    VstPinProperties props{};
    const char* kind = output ? "output" : "input";
    if (!host.pinProperties(output, index, props)) {
      std::printf("  %-6s %-3" PRId32 " (no answer)\n", kind, index);
      continue;
    }
    props.label[sizeof props.label - 1] = '\0';
    std::printf("  %-6s %-3" PRId32 " %-24s flags 0x%" PRIX32 " (%s)\n", kind, index, quoted(props.label).c_str(),
                static_cast<uint32_t>(props.flags), pinFlagNames(props.flags).c_str());
  }
}

void printCapabilities(PluginHost& host) {
  std::printf("\nCapabilities\n");
  for (const char* text : kCapabilities) {
    const int32_t answer = host.canDo(text);
    const char* meaning = answer > 0 ? "yes" : answer < 0 ? "no" : "don't know";
    std::printf("  %-24s %3" PRId32 " (%s)\n", quoted(text).c_str(), answer, meaning);
  }
}

void printParameters(PluginHost& host, int32_t count) {
  std::printf("\nParameters\n");
  std::printf("  %5s  %-10s %-10s %-12s %s\n", "index", "name", "value", "display", "label");
  for (int32_t index = 0; index < std::min(count, kMaxListed); ++index) {
    std::printf("  %5" PRId32 "  %-10s %-10.6f %-12s %s\n", index, host.parameterName(index).c_str(),
                static_cast<double>(host.getParameter(index)), host.parameterDisplay(index).c_str(),
                host.parameterLabel(index).c_str());
  }
}

// The instrument's window options: index, name, value, and every entry with the chosen one marked.
void printOptions(PluginHost& host) {
  std::printf("\nOptions (set with render --param NAME=ENTRY)\n");
  std::printf("  %5s  %-15s %-6s %s\n", "index", "name", "value", "entries");
  for (const InstrumentOption& option : instrumentOptions()) {
    const float value = host.getParameter(option.index);
    const std::string shown = option.action ? "-" : std::to_string(static_cast<int32_t>(value));
    std::printf("  %5" PRId32 "  %-15s %-6s %s\n", option.index, option.name, shown.c_str(), option.what);
    for (size_t i = 0; i < option.entries.size(); ++i) {
      const bool chosen = !option.action && static_cast<float>(i) == value;
      std::printf("  %5s  %-15s %-6s %c %zu %s\n", "", "", "", chosen ? '*' : ' ', i,
                  entryText(option.entries[i]).c_str());
    }
  }
}

constexpr const char* kInfoCommand = "info";

#if defined(TARNWICK_HOST_LV2)
// An LV2 bundle: what its Turtle declares (through lilv) and what the instance reports.
int printLv2Info(const std::string& path) {
  std::string error;
  auto host = Lv2Host::load(path, &error);
  if (!host) return commandError("info", kExitPluginFailed, error);
  host->setSampleRate(kInfoSampleRate);
  host->setBlockSize(kInfoBlockSize);
  host->resume();
  std::printf("Bundle           %s\n", path.c_str());
  std::printf("Plug-in URI      %s\n", host->uri().c_str());
  std::printf("Name             %s\n", host->name().c_str());
  for (const std::string& ui : host->uiUris()) std::printf("UI               %s\n", ui.c_str());
  std::printf("\nPorts\n");
  std::printf("  %5s  %-12s %-12s %-16s %-10s %-10s %s\n", "index", "symbol", "kind", "name", "minimum", "maximum",
              "default");
  for (const Lv2Host::PortInfo& port : host->ports()) {
    if (port.kind.find("control") != std::string::npos) {
      std::printf("  %5u  %-12s %-12s %-16s %-10.6f %-10.6f %.6f\n", port.index, port.symbol.c_str(), port.kind.c_str(),
                  quoted(port.name.c_str()).c_str(), static_cast<double>(port.minimum),
                  static_cast<double>(port.maximum), static_cast<double>(port.defaultValue));
    } else {
      std::printf("  %5u  %-12s %-12s %s\n", port.index, port.symbol.c_str(), port.kind.c_str(),
                  quoted(port.name.c_str()).c_str());
    }
  }
  const std::vector<uint8_t> state = host->getChunk();
  std::printf("\nState            %zu bytes of session record\n", state.size());
  host->suspend();
  host->close();
  return kExitDone;
}
#endif

}  // namespace

int runInfo(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!parseCommandLine(std::vector<std::string>(argv, argv + argc), {}, line, &error))
    return usageError(kInfoCommand, error);
  if (line.help) {
    printCommandHelp(kInfoCommand, stdout);
    return kExitDone;
  }
  if (line.positional.size() != 1)
    return usageError(kInfoCommand, line.positional.empty() ? "give the plug-in" : "give one plug-in only");
  const std::string path = line.positional[0];
#if defined(TARNWICK_HOST_LV2)
  if (isLv2Bundle(path)) return printLv2Info(path);
#endif
  auto host = PluginHost::load(path, &error);
  if (!host) return commandError(kInfoCommand, kExitPluginFailed, error);
  host->setSampleRate(kInfoSampleRate);
  host->setBlockSize(kInfoBlockSize);
  host->resume();

  printIdentity(*host, path);
  printRecord(*host->effect());
  std::printf("\nPins\n");
  printPins(*host, false, host->effect()->numInputs);
  printPins(*host, true, host->effect()->numOutputs);
  printCapabilities(*host);
  std::printf("\nProgram          \"%s\"\n", host->programName().c_str());
  printParameters(*host, host->effect()->numParams);
  if (hasInstrumentOptions(host->effect()->uniqueID)) printOptions(*host);

  host->suspend();
  host->close();
  return kExitDone;
}

}  // namespace tarnwick::host
