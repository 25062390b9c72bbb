// Command-line options of `tarnwick-host render`: strict parsing, one clear message per mistake.
#include "tools/host/RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tarnwick::host {
namespace {

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool parseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool parseIndex(const std::string& text, int32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
  return true;
}

}  // namespace

const char* renderUsage() {
  return "Usage: tarnwick-host render PLUGIN.so --midi FILE.mid --out OUT.wav [options]\n"
         "Plays a standard MIDI file through the plug-in and writes a stereo WAV at 44100 Hz.\n"
         "  --sample FILE      recording restored through the plug-in's chunk, as a host restores a session\n"
         "                     (default: the project's generated recording)\n"
         "  --chunk FILE       start from this saved chunk instead of the plug-in's own; without --sample the\n"
         "                     chunk's own recording path is kept\n"
         "  --tempo BPM        host tempo, held for the whole render (default: the file's tempo map, else 120)\n"
         "  --block N          frames per process call (default 512)\n"
         "  --param NAME=VALUE set a parameter after the restore, in order; NAME is a host parameter name\n"
         "                     (mainLevl, unitDura, delay01 ...) or any index (265=2, 266=0 ...); repeatable\n"
         "  --format F         float (default), pcm24 or pcm16\n"
         "Exit codes: 0 done, 2 bad arguments, 3 unreadable input file, 4 plug-in failure, 5 output not written.\n";
}

bool parseParamSetting(const std::string& text, ParamSetting& setting, std::string* error) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return fail(error, "--param needs NAME=VALUE, got '" + text + "'");
  setting = ParamSetting{};
  setting.name = text.substr(0, eq);
  double value = 0.0;
  if (!parseDouble(text.substr(eq + 1), value) || std::fabs(value) > 3.0e38)
    return fail(error, "--param " + setting.name + ": '" + text.substr(eq + 1) + "' is not a number");
  setting.value = static_cast<float>(value);
  setting.byIndex = parseIndex(setting.name, setting.index);
  if (!setting.byIndex && setting.name.find_first_not_of("0123456789") == std::string::npos)
    return fail(error, "--param index " + setting.name + " is out of range");
  return true;
}

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string* error) {
  options = RenderOptions{};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    }
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (i + 1 >= args.size()) return fail(error, arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--midi") {
        options.midiPath = value;
      } else if (arg == "--out") {
        options.outPath = value;
      } else if (arg == "--sample") {
        options.samplePath = value;
      } else if (arg == "--chunk") {
        options.chunkPath = value;
      } else if (arg == "--tempo") {
        double bpm = 0.0;
        if (!parseDouble(value, bpm) || bpm < 1.0 || bpm > 1000.0)
          return fail(error, "--tempo wants beats per minute between 1 and 1000, got '" + value + "'");
        options.tempo = bpm;
      } else if (arg == "--block") {
        int32_t frames = 0;
        if (!parseIndex(value, frames) || frames < 1 || frames > kMaxRenderBlock)
          return fail(error, "--block wants 1.." + std::to_string(kMaxRenderBlock) + " frames, got '" + value + "'");
        options.blockSize = frames;
      } else if (arg == "--param") {
        ParamSetting setting;
        if (!parseParamSetting(value, setting, error)) return false;
        options.params.push_back(setting);
      } else if (arg == "--format") {
        if (value == "float")
          options.format = WavSampleFormat::float32;
        else if (value == "pcm24")
          options.format = WavSampleFormat::pcm24;
        else if (value == "pcm16")
          options.format = WavSampleFormat::pcm16;
        else
          return fail(error, "--format wants float, pcm24 or pcm16, got '" + value + "'");
      } else {
        return fail(error, "unknown option " + arg);
      }
      continue;
    }
    if (!options.pluginPath.empty()) return fail(error, "unexpected argument '" + arg + "'");
    options.pluginPath = arg;
  }
  if (options.pluginPath.empty()) return fail(error, "no plug-in given");
  if (options.midiPath.empty()) return fail(error, "--midi FILE.mid is required");
  if (options.outPath.empty()) return fail(error, "--out OUT.wav is required");
  return true;
}

}  // namespace tarnwick::host
