// Starts Xvfb with -displayfd, so the server picks a free display number and tells it once it is ready.
#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarnwick::test {

namespace {
constexpr int kStartTimeoutMs = 20000;
}

bool XvfbServer::installed() {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/Xvfb").c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

bool XvfbServer::start(int width, int height, int depth) {
  stop();
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    close(fds[0]);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    const std::string fd = std::to_string(fds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  pid_ = pid;
  std::string number;
  // Bounded by a count of 100 ms polls, not by a clock.
  bool done = false;
  for (int polls = 0; !done && polls < kStartTimeoutMs / 100; ++polls) {
    pollfd readable{fds[0], POLLIN, 0};
    if (poll(&readable, 1, 100) <= 0) continue;
    char c = 0;
    const ssize_t got = read(fds[0], &c, 1);
    if (got <= 0) break;  // the server ended without telling a number
    if (c == '\n')
      done = true;
    else
      number += c;
  }
  close(fds[0]);
  if (!done || number.empty()) {
    stop(true);
    return false;
  }
  name_ = ":" + number;
  return true;
}

void XvfbServer::stop(bool abruptly) {
  if (pid_ <= 0) return;
  kill(pid_, abruptly ? SIGKILL : SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  name_.clear();
}

}  // namespace tarnwick::test
