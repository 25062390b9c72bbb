// Loads the built Tarnwick.so through the host library, for tests that drive it as a host does.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tools/hostlib/PluginHost.h"

namespace tarnwick::test {

// The including test target defines TARNWICK_PLUGIN_PATH; a failed load is a test failure with the reason.
inline std::unique_ptr<host::PluginHost> loadPlugin() {
  std::string error;
  auto host = host::PluginHost::load(TARNWICK_PLUGIN_PATH, &error);
  EXPECT_TRUE(host) << error;
  return host;
}

}  // namespace tarnwick::test
