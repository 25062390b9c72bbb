// Xlib opened at run time: a host process without X11 libraries renders with Tarnwick.so and maps libX11
// only when the editor opens (and no longer after unloading it); a libX11 that cannot be loaded or lacks a
// function leaves the editor closed and the plug-in working.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "X11TestSupport.h"

extern char** environ;

namespace tarnwick::test {
namespace {

struct ProbeRun {
  int exitCode = -1;
  std::map<std::string, std::string> report;  // key=value lines of the probe host
  std::string output;
  int value(const std::string& key) const {
    const auto found = report.find(key);
    return found == report.end() ? -1 : std::atoi(found->second.c_str());
  }
};

// Runs the probe host with the current environment plus `extra` (NAME=value entries, replacing any
// variable of the same name).
ProbeRun runProbe(uintptr_t parent, const std::vector<std::string>& extra) {
  const auto replaced = [&extra](const std::string& entry) {
    for (const std::string& added : extra) {
      if (entry.rfind(added.substr(0, added.find('=') + 1), 0) == 0) return true;
    }
    return false;
  };
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (!replaced(*variable)) environment.push_back(*variable);
  }
  environment.insert(environment.end(), extra.begin(), extra.end());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  std::string plugin = TARNWICK_PLUGIN_PATH, program = TARNWICK_XLIB_PROBE_HOST, window = std::to_string(parent);
  std::vector<char*> argv{program.data(), plugin.data(), window.data(), nullptr};

  ProbeRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned == 0) {
    char buffer[512];
    ssize_t got = 0;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, static_cast<size_t>(got));
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  close(fds[0]);
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) run.report[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return run;
}

class XlibLoading : public X11Test {
 protected:
  void TearDown() override {
    if (!scratch_.empty()) {
      std::remove((scratch_ + "/libX11.so.6").c_str());
      rmdir(scratch_.c_str());
    }
    X11Test::TearDown();
  }
  // A directory holding a libX11.so.6 that is no library at all.
  std::string brokenXlibDirectory() {
    char pattern[] = "/tmp/tarnwick-xlib-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return {};
    scratch_ = pattern;
    std::ofstream(scratch_ + "/libX11.so.6") << "not a shared object\n";
    return scratch_;
  }
  // What every run must show, whatever became of the editor.
  static void expectPlugInWorked(const ProbeRun& run) {
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.value("mapped-at-start"), 0) << run.output;
    EXPECT_EQ(run.value("renders-before-editor"), 1) << run.output;
    EXPECT_EQ(run.value("mapped-after-render"), 0) << "loading and rendering must not need libX11\n" << run.output;
    EXPECT_EQ(run.value("parameter-kept"), 1) << run.output;
    EXPECT_EQ(run.value("renders-after-editor"), 1) << run.output;
    EXPECT_EQ(run.value("mapped-after-unload"), 0) << run.output;
  }

  std::string scratch_;
};

TEST_F(XlibLoading, SystemXlibIsMappedOnlyWhileTheEditorNeedsIt) {
  const ProbeRun run = runProbe(parent_, {"DISPLAY=" + server_.displayName()});
  expectPlugInWorked(run);
  EXPECT_EQ(run.value("editor-opened"), 1) << run.output;
  EXPECT_EQ(run.value("mapped-with-editor"), 1) << run.output;
}

TEST_F(XlibLoading, XlibThatCannotBeLoadedLeavesTheEditorClosed) {
  const std::string directory = brokenXlibDirectory();
  ASSERT_FALSE(directory.empty());
  const ProbeRun run = runProbe(parent_, {"DISPLAY=" + server_.displayName(), "LD_LIBRARY_PATH=" + directory});
  expectPlugInWorked(run);
  EXPECT_EQ(run.value("editor-opened"), 0) << run.output;
  EXPECT_EQ(run.value("mapped-with-editor"), 0) << run.output;
  sync();
  EXPECT_TRUE(childrenOf(parent_).empty());
}

TEST_F(XlibLoading, XlibWithoutTheNeededFunctionsIsNotCalledAndLeftClosed) {
  // The stand-in's XOpenDisplay aborts: a probe that exits normally never called into it.
  const ProbeRun run =
      runProbe(parent_, {"DISPLAY=" + server_.displayName(), std::string("LD_LIBRARY_PATH=") + TARNWICK_FAKE_XLIB_DIR});
  expectPlugInWorked(run);
  EXPECT_EQ(run.value("editor-opened"), 0) << run.output;
  EXPECT_EQ(run.value("mapped-with-editor"), 0) << run.output;
}

}  // namespace
}  // namespace tarnwick::test
