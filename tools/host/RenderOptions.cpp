// Command-line options of `tarnwick-host render`: strict parsing, one clear message per mistake.
#include "tools/host/RenderOptions.h"

#include <cmath>
#include <iterator>

#include "tools/host/CommandLine.h"

namespace tarnwick::host {
namespace {

constexpr OptionRule kRenderOptions[] = {{"--midi", true},  {"--out", true},    {"--sample", true},
                                         {"--chunk", true}, {"--tempo", true},  {"--block", true},
                                         {"--param", true}, {"--format", true}, {"--chunk-out", true}};

}  // namespace

bool parseParamSetting(const std::string& text, ParamSetting& setting, std::string* error) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return fail(error, "--param needs NAME=VALUE, got '" + text + "'");
  setting = ParamSetting{};
  setting.name = text.substr(0, eq);
  double value = 0.0;
  if (!parseFiniteNumber(text.substr(eq + 1), value) || std::fabs(value) > 3.0e38)
    return fail(error, "--param " + setting.name + ": '" + text.substr(eq + 1) + "' is not a number");
  setting.value = static_cast<float>(value);
  int64_t index = 0;
  setting.byIndex = parseWholeNumber(setting.name, index);
  if (setting.byIndex) {
    if (index < 0 || index > 1000000) return fail(error, "--param index " + setting.name + " is out of range");
    setting.index = static_cast<int32_t>(index);
  }
  return true;
}

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string* error) {
  options = RenderOptions{};
  CommandLine line;
  if (!parseCommandLine(args, kRenderOptions, line, error)) return false;
  if (line.help) {
    options.help = true;
    return true;
  }
  for (const auto& [name, value] : line.options) {
    if (name == "--midi") {
      options.midiPath = value;
    } else if (name == "--out") {
      options.outPath = value;
    } else if (name == "--sample") {
      options.samplePath = value;
    } else if (name == "--chunk") {
      options.chunkPath = value;
    } else if (name == "--chunk-out") {
      options.chunkOutPath = value;
    } else if (name == "--tempo") {
      double bpm = 0.0;
      if (!parseFiniteNumber(value, bpm) || bpm < 1.0 || bpm > 1000.0)
        return fail(error, "--tempo wants beats per minute between 1 and 1000, got '" + value + "'");
      options.tempo = bpm;
    } else if (name == "--block") {
      int64_t frames = 0;
      if (!parseWholeNumber(value, frames) || frames < 1 || frames > kMaxRenderBlock)
        return fail(error, "--block wants 1.." + std::to_string(kMaxRenderBlock) + " frames, got '" + value + "'");
      options.blockSize = static_cast<int32_t>(frames);
    } else if (name == "--param") {
      ParamSetting setting;
      if (!parseParamSetting(value, setting, error)) return false;
      options.params.push_back(setting);
    } else if (name == "--format") {
      if (value == "float")
        options.format = WavSampleFormat::float32;
      else if (value == "pcm24")
        options.format = WavSampleFormat::pcm24;
      else if (value == "pcm16")
        options.format = WavSampleFormat::pcm16;
      else
        return fail(error, "--format wants float, pcm24 or pcm16, got '" + value + "'");
    }
  }
  if (line.positional.size() > 1) return fail(error, "unexpected argument '" + line.positional[1] + "'");
  if (line.positional.empty()) return fail(error, "no plug-in given");
  options.pluginPath = line.positional[0];
  if (options.midiPath.empty()) return fail(error, "--midi FILE.mid is required");
  if (options.outPath.empty()) return fail(error, "--out OUT.wav is required");
  return true;
}

}  // namespace tarnwick::host
