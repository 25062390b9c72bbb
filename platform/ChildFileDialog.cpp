// Child file dialog: program lookup on PATH, argument lists for zenity and kdialog, posix_spawn with a pipe
// for the chosen path, and non-blocking polling and reaping.
#include "platform/ChildFileDialog.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#if defined(TARNWICK_HAVE_X11)
#include "platform/X11Dialogs.h"
#else
namespace tarnwick::platform::x11 {
class TransientWatch {};
}  // namespace tarnwick::platform::x11
#endif

extern char** environ;

namespace tarnwick::platform {

namespace {

constexpr size_t kMaxOutput = 64 * 1024;  // far more than any path
constexpr int kTermWaits = 40;            // × 5 ms for a terminated child to go before it is killed
constexpr int kWatchEvery = 8;            // polls between two looks for the dialog's window

bool hasText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// The executable of that name in a folder of PATH (empty entries, the current folder, are skipped).
std::string findOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t begin = 0;
  while (begin <= folders.size()) {
    size_t end = folders.find(':', begin);
    if (end == std::string::npos) end = folders.size();
    if (end > begin) {
      const std::string candidate = folders.substr(begin, end - begin) + "/" + name;
      struct stat info {};
      if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
    begin = end + 1;
  }
  return {};
}

// Glob patterns of a filter; extensions in lower and upper case, as the dialogs match case-sensitively.
std::string patternsOf(const FileDialogFilter& filter) {
  std::string patterns;
  auto add = [&](const std::string& pattern) {
    if (!patterns.empty()) patterns += ' ';
    patterns += pattern;
  };
  for (const std::string& extension : filter.extensions) {
    if (extension == "*") {
      add("*");
      continue;
    }
    std::string lower = extension, upper = extension;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    add("*." + lower);
    if (upper != lower) add("*." + upper);
  }
  return patterns.empty() ? "*" : patterns;
}

// '|' separates a filter's name from its patterns in both programs' syntax, '\n' filters for kdialog.
std::string filterName(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c == '|' || c == '\n') c = ' ';
  }
  return out;
}

// Where the dialog starts: the folder asked for, else the home folder (never the host's working folder,
// where a relative name would put the dialog).
std::string startPath(const FileDialogRequest& request) {
  std::string path = request.folder;
  if (path.empty() && hasText("HOME")) path = std::getenv("HOME");
  if (!path.empty() && path.back() != '/') path += '/';
  if (request.save) path += request.fileName;
  return path;
}

std::vector<std::string> zenityArguments(const std::string& program, const FileDialogRequest& request) {
  std::vector<std::string> args{program, "--file-selection"};
  if (request.save) args.emplace_back("--save");  // without --confirm-overwrite: no question of its own
  if (!request.title.empty()) args.push_back("--title=" + request.title);
  if (request.owner != 0) args.push_back("--attach=" + std::to_string(request.owner));
  const std::string start = startPath(request);
  if (!start.empty()) args.push_back("--filename=" + start);
  for (const FileDialogFilter& filter : request.filters)
    args.push_back("--file-filter=" + filterName(filter.name) + " | " + patternsOf(filter));
  return args;
}

std::vector<std::string> kdialogArguments(const std::string& program, const FileDialogRequest& request) {
  std::vector<std::string> args{program};
  if (!request.title.empty()) {
    args.emplace_back("--title");
    args.push_back(request.title);
  }
  if (request.owner != 0) {
    args.emplace_back("--attach");
    args.push_back(std::to_string(request.owner));
  }
  args.emplace_back("--getopenfilename");
  // The start folder and the filters are plain arguments: after "--" none of them is read as an option,
  // also a folder that begins with "-".
  args.emplace_back("--");
  const std::string start = startPath(request);
  args.push_back(start.empty() ? "." : start);
  std::string filters;
  for (const FileDialogFilter& filter : request.filters) {
    if (!filters.empty()) filters += '\n';
    filters += patternsOf(filter) + "|" + filterName(filter.name);
  }
  if (!filters.empty()) args.push_back(filters);
  return args;
}

void pause5ms() {
  timespec wait{0, 5 * 1000 * 1000};
  nanosleep(&wait, nullptr);
}

}  // namespace

std::unique_ptr<ChildFileDialog> ChildFileDialog::start(const FileDialogRequest& request) {
  const char* choice = std::getenv("TARNWICK_FILE_DIALOG");
  if (choice != nullptr && std::strcmp(choice, "builtin") == 0) return nullptr;
  if (!hasText("DISPLAY") && !hasText("WAYLAND_DISPLAY")) return nullptr;
  std::vector<std::string> args;
  if (const std::string zenity = findOnPath("zenity"); !zenity.empty()) {
    args = zenityArguments(zenity, request);
  } else if (const std::string kdialog = findOnPath("kdialog"); !kdialog.empty() && !request.save) {
    args = kdialogArguments(kdialog, request);
  } else {
    return nullptr;
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return nullptr;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);  // the host's descriptors stay the host's
#endif
  // The host may block or ignore signals; the dialog starts with the defaults, in a process group of its
  // own so that ending it ends whatever it started.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2})
    sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipeFds[1]);
  if (failed != 0) {
    close(pipeFds[0]);
    return nullptr;
  }
  fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
  return std::unique_ptr<ChildFileDialog>(new ChildFileDialog(pid, pipeFds[0], request.owner));
}

ChildFileDialog::ChildFileDialog(pid_t pid, int output, uintptr_t owner) : pid_(pid), output_(output), owner_(owner) {}

void ChildFileDialog::watchForWindow() {
#if defined(TARNWICK_HAVE_X11)
  if (owner_ == 0 || pid_ <= 0 || polls_++ % kWatchEvery != 0) return;
  if (!watch_) watch_ = std::make_unique<x11::TransientWatch>(owner_);
  if (watch_->adopt(pid_)) {
    owner_ = 0;  // done (or not possible): no more looks
    watch_.reset();
  }
#endif
}

bool ChildFileDialog::bringForward() {
#if defined(TARNWICK_HAVE_X11)
  if (pid_ > 0) return x11::bringProcessForward(pid_);
#endif
  return false;
}

ChildFileDialog::~ChildFileDialog() {
  if (pid_ > 0) {
    // Until the child is reaped its process group cannot be reused, so the group signals reach only it
    // and what it started.
    kill(-pid_, SIGTERM);
    bool ended = false, gone = false;
    for (int i = 0; i < kTermWaits && !ended; ++i) {
      siginfo_t info{};
      const int r = waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
      gone = r < 0 && errno == ECHILD;  // the host reaped it already
      ended = gone || (r == 0 && info.si_pid == pid_);
      if (!ended) pause5ms();
    }
    if (!gone) {
      kill(-pid_, SIGKILL);
      while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  if (output_ >= 0) close(output_);
  watch_.reset();
}

void ChildFileDialog::readOutput() {
  if (output_ < 0) return;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(output_, buffer, sizeof buffer);
    if (n > 0) {
      if (printed_.size() + static_cast<size_t>(n) > kMaxOutput) {
        overflow_ = true;
      } else {
        printed_.append(buffer, static_cast<size_t>(n));
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) {
      close(output_);
      output_ = -1;
    }
    return;  // EOF, nothing more for now (EAGAIN) or an error
  }
}

ChildFileDialog::Status ChildFileDialog::poll(std::string& path) {
  if (status_ == Status::kRunning && pid_ > 0) {
    watchForWindow();
    readOutput();
    int waitStatus = 0;
    const pid_t r = waitpid(pid_, &waitStatus, WNOHANG);
    if (r == pid_) {
      readOutput();
      finish(true, waitStatus);
    } else if (r < 0 && errno == ECHILD) {
      // The host reaps children itself (SIGCHLD ignored or a handler of its own): judge by the output.
      readOutput();
      finish(false, 0);
    }
  }
  if (status_ == Status::kChosen) path = path_;
  return status_;
}

void ChildFileDialog::finish(bool statusKnown, int waitStatus) {
  pid_ = -1;
  watch_.reset();
  if (output_ >= 0) {
    close(output_);
    output_ = -1;
  }
  std::string printed = printed_;
  if (!printed.empty() && printed.back() == '\n') printed.pop_back();
  const bool success = !statusKnown || (WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0);
  const bool cancelled = statusKnown && WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 1;
  if (overflow_ || (!success && !cancelled)) {
    status_ = Status::kFailed;
  } else if (success && !printed.empty()) {
    status_ = Status::kChosen;
    path_ = printed;
  } else {
    status_ = Status::kCancelled;
  }
}

}  // namespace tarnwick::platform
