// Test helper: a second handle on the fake plug-in that reads its live-instance count.
#pragma once

#include "platform/DynamicLibrary.h"

// Holding the probe keeps the library mapped, so the count stays readable after the host unloads it.
class FakeProbe {
 public:
  explicit FakeProbe(const char* path) {
    if (library_.open(path)) alive_ = static_cast<const int*>(library_.symbol("fakeInstancesAlive"));
  }
  bool valid() const { return alive_ != nullptr; }
  int alive() const { return alive_ ? *alive_ : -1; }

 private:
  tarnwick::platform::DynamicLibrary library_;
  const int* alive_ = nullptr;
};
