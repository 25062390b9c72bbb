// The Turtle files of the LV2 bundle, written from the parameter table and the port layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/Constants.h"

namespace tarnwick::lv2 {

struct BundleVersion {
  int32_t minor;
  int32_t micro;
};

// The host parameters' values in the factory state: what a freshly made engine reads back.
std::array<float, kHostParamCount> factoryValues();

// manifest.ttl: the plug-in and its UI, each with its binary, pointing at the plug-in's Turtle.
std::string manifestTurtle();

// Tarnwick.ttl: the plug-in (identity, version, features, extensions and ports) and its UI.
std::string pluginTurtle(const BundleVersion& version, const std::array<float, kHostParamCount>& defaults);

// A number as Turtle reads it back into the same float: the shortest decimal, always with a point.
std::string turtleNumber(float value);

}  // namespace tarnwick::lv2
