// Command-line options of `tarnwick-host render`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::host {

enum class WavSampleFormat { float32, pcm24, pcm16 };

// One --param NAME=VALUE; NAME is a parameter or option name, or an index.
struct ParamSetting {
  std::string name;  // as given
  bool byIndex = false;
  int32_t index = 0;  // when byIndex
  float value = 0.0f;
};

struct RenderOptions {
  std::string pluginPath;
  std::string midiPath;
  std::string outPath;
  std::optional<std::string> samplePath;
  std::optional<std::string> chunkPath;
  std::string chunkOutPath;
  std::optional<double> tempo;
  int32_t blockSize = 512;
  WavSampleFormat format = WavSampleFormat::float32;
  std::vector<ParamSetting> params;  // in command-line order
  bool help = false;
};

inline constexpr int32_t kMaxRenderBlock = 65536;

// False with a one-line reason on any bad or missing argument; help == true needs nothing else.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string* error);

// Parses NAME=VALUE; the value must be a finite float. Names and ranges are checked against the loaded
// plug-in (ParamResolution.h).
bool parseParamSetting(const std::string& text, ParamSetting& setting, std::string* error);

}  // namespace tarnwick::host
