// An Xvfb server owned by one test: started on a free display number, stopped (or killed) by the test.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarnwick::test {

class XvfbServer {
 public:
  // True when an Xvfb executable is on the PATH.
  static bool installed();

  XvfbServer() = default;
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer() { stop(); }

  // Starts a server with one screen of width × height × depth and waits until it takes connections.
  // The server dies with the test process, also when the test crashes.
  bool start(int width = 1024, int height = 768, int depth = 24);
  // ":N", empty before start.
  const std::string& displayName() const { return name_; }
  // Ends the server and waits for it (SIGTERM; SIGKILL when `abruptly`, as a crash would).
  void stop(bool abruptly = false);
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

}  // namespace tarnwick::test
