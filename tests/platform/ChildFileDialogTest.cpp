// The desktop's file dialog as a child process: fake zenity and kdialog scripts on PATH record the
// arguments they get and answer with a path, a cancel, a failure, or by sleeping.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/ChildFileDialog.h"

namespace tarnwick::platform {
namespace {

namespace fs = std::filesystem;
using Status = ChildFileDialog::Status;

const std::string kTitle =
    "Load \"$(touch /tmp/tarnwick-pwned)\" 'Gr\xC3\xBC\xC3\x9F"
    "e' `id`";
const std::string kFolder =
    "/tmp/My Samples/Gr\xC3\xBC\xC3\x9F"
    "e $(id)";

class ChildFileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarnwick-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::create_directory(dir_ + "/bin");
    for (const char* name : {"PATH", "DISPLAY", "WAYLAND_DISPLAY", "TARNWICK_FILE_DIALOG", "HOME"}) {
      const char* value = getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("PATH", (dir_ + "/bin").c_str(), 1);
    setenv("DISPLAY", ":97", 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("TARNWICK_FILE_DIALOG");
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    fs::remove_all(dir_);
  }

  // A fake program: records its arguments (NUL-separated), prints the answer file, exits with `status`.
  void fakeProgram(const std::string& name, int status, const std::string& answer, bool sleeps = false) {
    write(dir_ + "/answer", answer);
    std::string script = "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + dir_ + "/args'\n";
    if (sleeps) script += "/bin/sleep 30 &\necho $! > '" + dir_ + "/grandchild'\nwait\n";
    script += "/bin/cat '" + dir_ + "/answer'\nexit " + std::to_string(status) + "\n";
    const std::string path = dir_ + "/bin/" + name;
    write(path, script);
    chmod(path.c_str(), 0755);
  }
  static void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  std::string read(const std::string& name) const {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> arguments() const {
    std::vector<std::string> args;
    const std::string all = read("args");
    size_t begin = 0;
    for (size_t end; (end = all.find('\0', begin)) != std::string::npos; begin = end + 1)
      args.push_back(all.substr(begin, end - begin));
    return args;
  }
  // Polls as the editor's idle would, until the dialog ends (a generous bound for a loaded machine).
  static Status finish(ChildFileDialog& dialog, std::string& path) {
    Status status = Status::kRunning;
    for (int i = 0; i < 4000 && status == Status::kRunning; ++i) {
      status = dialog.poll(path);
      if (status == Status::kRunning) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status;
  }
  static FileDialogRequest request(bool save) {
    FileDialogRequest r;
    r.save = save;
    r.title = kTitle;
    r.filters = {{"Audio Files", {"wav", "aif"}}, {"All | Files", {"*"}}};
    r.folder = kFolder;
    r.fileName = save ? "Bank \xC3\xA9.vlb" : "";
    return r;
  }

  std::string dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(ChildFileDialogTest, ZenityGetsTheRequestAsPlainArgumentsAndThePathComesBackByteForByte) {
  const std::string chosen = kFolder + "/take 1 \xE2\x98\x83.wav";
  fakeProgram("zenity", 0, chosen + "\n");
  unlink("/tmp/tarnwick-pwned");
  auto dialog = ChildFileDialog::start(request(false));
  ASSERT_NE(dialog, nullptr);
  std::string path;
  EXPECT_EQ(finish(*dialog, path), Status::kChosen);
  EXPECT_EQ(path, chosen);
  const std::vector<std::string> expected = {"--file-selection", "--title=" + kTitle, "--filename=" + kFolder + "/",
                                             "--file-filter=Audio Files | *.wav *.WAV *.aif *.AIF",
                                             "--file-filter=All   Files | *"};
  EXPECT_EQ(arguments(), expected);
  EXPECT_FALSE(fs::exists("/tmp/tarnwick-pwned"));  // nothing was run by a shell
  std::string again;
  EXPECT_EQ(dialog->poll(again), Status::kChosen);  // the outcome stays
  EXPECT_EQ(again, chosen);

  // Saving: the proposed name, and no overwrite question of zenity's own.
  auto save = ChildFileDialog::start(request(true));
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(finish(*save, path), Status::kChosen);
  const std::vector<std::string> args = arguments();
  ASSERT_GE(args.size(), 4u);
  EXPECT_EQ(args[1], "--save");
  EXPECT_EQ(args[3], "--filename=" + kFolder + "/Bank \xC3\xA9.vlb");
  for (const std::string& arg : args) EXPECT_EQ(arg.find("overwrite"), std::string::npos) << arg;

  // Without a folder the dialog starts in the home folder, not in the host's working folder.
  FileDialogRequest nowhere = request(true);
  nowhere.folder.clear();
  setenv("HOME", dir_.c_str(), 1);
  auto home = ChildFileDialog::start(nowhere);
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(finish(*home, path), Status::kChosen);
  EXPECT_EQ(arguments()[3], "--filename=" + dir_ + "/Bank \xC3\xA9.vlb");
}

TEST_F(ChildFileDialogTest, CancelAndFailureAreToldApart) {
  const struct {
    int status;
    std::string output;
    Status expected;
  } cases[] = {{1, "", Status::kCancelled},
               {0, "", Status::kCancelled},
               {5, "", Status::kFailed},
               {0, std::string(70000, 'x'), Status::kFailed}};
  for (const auto& c : cases) {
    fakeProgram("zenity", c.status, c.output);
    auto dialog = ChildFileDialog::start(request(false));
    ASSERT_NE(dialog, nullptr);
    std::string path = "untouched";
    EXPECT_EQ(finish(*dialog, path), c.expected) << "exit " << c.status;
    EXPECT_EQ(path, "untouched");
    EXPECT_EQ(dialog->processId(), -1);  // reaped
  }
}

TEST_F(ChildFileDialogTest, ARunningDialogIsReportedAndEndedWithWhatItStartedWhenDestroyed) {
  fakeProgram("zenity", 0, "/never", true);
  auto dialog = ChildFileDialog::start(request(false));
  ASSERT_NE(dialog, nullptr);
  const pid_t pid = dialog->processId();
  std::string path;
  EXPECT_EQ(dialog->poll(path), Status::kRunning);
  pid_t grandchild = 0;
  for (int i = 0; i < 2000 && grandchild == 0; ++i) {
    grandchild = static_cast<pid_t>(std::atoi(read("grandchild").c_str()));
    if (grandchild == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(dialog->poll(path), Status::kRunning);
  dialog.reset();
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);  // reaped: no such child any more
  EXPECT_EQ(errno, ECHILD);
  ASSERT_GT(grandchild, 0);
  // The sleep it started was ended too (it may linger as a zombie until its new parent reaps it).
  bool ended = false;
  for (int i = 0; i < 2000 && !ended; ++i) {
    std::ifstream stat("/proc/" + std::to_string(grandchild) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    ended = !stat || close == std::string::npos || line.substr(close + 2, 1) == "Z";
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(ended);
}

TEST_F(ChildFileDialogTest, KdialogOpensOnlyAndNothingStartsWithoutProgramDisplayOrWhenTheBrowserIsAsked) {
  EXPECT_EQ(ChildFileDialog::start(request(false)), nullptr);  // no program on PATH
  fakeProgram("kdialog", 0, "/a b/c.wav\n");
  auto dialog = ChildFileDialog::start(request(false));
  ASSERT_NE(dialog, nullptr);
  std::string path;
  EXPECT_EQ(finish(*dialog, path), Status::kChosen);
  EXPECT_EQ(path, "/a b/c.wav");
  const std::vector<std::string> expected = {"--title",           kTitle,
                                             "--getopenfilename", "--",
                                             kFolder + "/",       "*.wav *.WAV *.aif *.AIF|Audio Files\n*|All   Files"};
  EXPECT_EQ(arguments(), expected);
  EXPECT_EQ(ChildFileDialog::start(request(true)), nullptr);  // it would ask about overwriting itself

  fakeProgram("zenity", 1, "");
  setenv("TARNWICK_FILE_DIALOG", "builtin", 1);
  EXPECT_EQ(ChildFileDialog::start(request(false)), nullptr);
  unsetenv("TARNWICK_FILE_DIALOG");
  unsetenv("DISPLAY");
  EXPECT_EQ(ChildFileDialog::start(request(false)), nullptr);
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  EXPECT_NE(ChildFileDialog::start(request(false)), nullptr);
}

// A start folder that looks like an option stays a plain argument for both programs.
TEST_F(ChildFileDialogTest, AStartFolderBeginningWithADashIsNeverReadAsAnOption) {
  FileDialogRequest r = request(false);
  r.folder = "-rf";
  fakeProgram("kdialog", 0, "/a.wav\n");
  std::string path;
  auto kdialog = ChildFileDialog::start(r);
  ASSERT_NE(kdialog, nullptr);
  EXPECT_EQ(finish(*kdialog, path), Status::kChosen);
  std::vector<std::string> args = arguments();
  const auto end = std::find(args.begin(), args.end(), "--");
  ASSERT_NE(end, args.end());
  EXPECT_EQ(std::find(args.begin(), end, "-rf/"), end);
  EXPECT_EQ(*(end + 1), "-rf/");

  fakeProgram("zenity", 0, "/a.wav\n");
  auto zenity = ChildFileDialog::start(r);
  ASSERT_NE(zenity, nullptr);
  EXPECT_EQ(finish(*zenity, path), Status::kChosen);
  args = arguments();
  EXPECT_NE(std::find(args.begin(), args.end(), "--filename=-rf/"), args.end());
  for (const std::string& arg : args) EXPECT_NE(arg, "-rf/");  // only ever attached to its option
}

// Both programs are told the host's window they belong to, as an option before any plain argument.
TEST_F(ChildFileDialogTest, TheHostsWindowIsGivenToBothPrograms) {
  FileDialogRequest r = request(false);
  r.owner = 0x2a00007;
  std::string path;
  fakeProgram("kdialog", 0, "/a.wav\n");
  auto kdialog = ChildFileDialog::start(r);
  ASSERT_NE(kdialog, nullptr);
  EXPECT_EQ(finish(*kdialog, path), Status::kChosen);
  std::vector<std::string> args = arguments();
  const auto attach = std::find(args.begin(), args.end(), "--attach");
  ASSERT_NE(attach, args.end());
  EXPECT_EQ(*(attach + 1), "44040199");
  EXPECT_LT(attach, std::find(args.begin(), args.end(), "--"));

  fakeProgram("zenity", 0, "/a.wav\n");
  auto zenity = ChildFileDialog::start(r);
  ASSERT_NE(zenity, nullptr);
  EXPECT_EQ(finish(*zenity, path), Status::kChosen);
  args = arguments();
  EXPECT_NE(std::find(args.begin(), args.end(), "--attach=44040199"), args.end());
}

}  // namespace
}  // namespace tarnwick::platform
