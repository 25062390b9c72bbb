// Files dragged onto the built plug-in's editor in a real X window by a drag source of the test's own: the
// source finds the editor through XdndAware under the pointer and speaks XDND 5 with it, as a file manager.
#include "X11TestSupport.h"

#include <X11/Xatom.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "editor/Layout.h"
#include "tests/plugin/TestSupport.h"
#include "tools/hostlib/PluginHost.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

// What the editor answered during one drag.
struct DragAnswers {
  bool statusSeen = false, statusAccepted = false;
  Atom statusAction = 0;
  ::Window answeredFor = 0;  // the window the status names
  bool finishedSeen = false, finishedAccepted = false;
  int selectionRequests = 0;
};

// A drag source on the test's connection: owns XdndSelection and hands over a text/uri-list.
class DragSource {
 public:
  explicit DragSource(Display* d) : d_(d) {
    window_ =
        XCreateWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent, 0, nullptr);
    for (const char* name : {"XdndAware", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop",
                             "XdndFinished", "XdndSelection", "text/uri-list", "XdndActionCopy"}) {
      atoms_.push_back(XInternAtom(d, name, False));
    }
  }
  ~DragSource() { XDestroyWindow(d_, window_); }
  Atom atom(const char* name) { return XInternAtom(d_, name, False); }

  // The deepest window at (x, y) on the screen, then up its ancestors, the first with XdndAware; its version.
  ::Window targetAt(int x, int y, long& version) {
    std::vector<::Window> chain{DefaultRootWindow(d_)};
    for (int depth = 0; depth < 16; ++depth) {
      int cx = 0, cy = 0;
      ::Window child = 0;
      XTranslateCoordinates(d_, DefaultRootWindow(d_), chain.back(), x, y, &cx, &cy, &child);
      if (child == 0) break;
      chain.push_back(child);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      const bool aware = XGetWindowProperty(d_, *it, atom("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count,
                                            &after, &data) == Success &&
                         data != nullptr && count == 1;
      if (aware) version = *reinterpret_cast<long*>(data);
      if (data != nullptr) XFree(data);
      if (aware) return *it;
    }
    return 0;
  }

  // To target, or (a proxy) to deliverTo while naming target, as sources do for a window with XdndProxy.
  void send(::Window target, const char* type, long l1, long l2, long l3, long l4, ::Window deliverTo = 0) {
    if (deliverTo == 0) deliverTo = target;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = atom(type);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(window_);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d_, deliverTo, False, NoEventMask, &e);
    XFlush(d_);
  }

  // Serves the selection and reads the target's answers that have arrived.
  void serve(const std::string& uriList, DragAnswers& answers) {
    while (XPending(d_) > 0) {
      XEvent e;
      XNextEvent(d_, &e);
      if (e.type == SelectionRequest) {
        const XSelectionRequestEvent& r = e.xselectionrequest;
        ++answers.selectionRequests;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = None;
        if (r.target == atom("text/uri-list") && r.property != None) {
          XChangeProperty(d_, r.requestor, r.property, r.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
          reply.xselection.property = r.property;
        }
        XSendEvent(d_, r.requestor, False, NoEventMask, &reply);
        XFlush(d_);
      } else if (e.type == ClientMessage && e.xclient.message_type == atom("XdndStatus")) {
        answers.statusSeen = true;
        answers.statusAccepted = (e.xclient.data.l[1] & 1) != 0;
        answers.statusAction = static_cast<Atom>(e.xclient.data.l[4]);
        answers.answeredFor = static_cast<::Window>(e.xclient.data.l[0]);
      } else if (e.type == ClientMessage && e.xclient.message_type == atom("XdndFinished")) {
        answers.finishedSeen = true;
        answers.finishedAccepted = (e.xclient.data.l[1] & 1) != 0;
      }
    }
  }

  ::Window window() const { return window_; }

 private:
  Display* d_;
  ::Window window_ = 0;
  std::vector<Atom> atoms_;
};

class XdndDrop : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    plugin_ = host::PluginHost::load(TARNWICK_PLUGIN_PATH, &error);
    ASSERT_NE(plugin_, nullptr) << error;
    plugin_->resume();
    folder_ = fs::path(::testing::TempDir()) / "tarnwick-xdnd";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    ASSERT_EQ(plugin_->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent_))), 1);
    for (int i = 0; i < 4; ++i) plugin_->dispatch(effEditIdle);
    source_ = std::make_unique<DragSource>(host_);
    XSetSelectionOwner(host_, source_->atom("XdndSelection"), source_->window(), CurrentTime);
    sync();
  }
  void TearDown() override {
    source_.reset();
    if (plugin_) plugin_->close();
    plugin_.reset();
    X11Test::TearDown();
  }

  // Drags uriList to window pixel (x, y) and lets go there when `drop` (else leaves); the editor's idle
  // runs between the messages, a bounded number of passes.
  // With viaProxy the source addresses the host's window (the parent), whose XdndProxy names the editor's,
  // as a toolkit's source does that looks only at top-level windows.
  DragAnswers drag(const std::string& uriList, int x, int y, bool drop, bool viaProxy = false) {
    DragAnswers answers;
    long version = 0;
    ::Window target = source_->targetAt(kParentX + x, kParentY + y, version);
    EXPECT_EQ(target, editorWindowIn(parent_));
    EXPECT_EQ(version, 5);
    if (target == 0) return answers;
    ::Window deliverTo = target;
    if (viaProxy) {
      const long proxy = static_cast<long>(target);
      for (::Window w : {parent_, target}) {
        XChangeProperty(host_, w, source_->atom("XdndProxy"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&proxy), 1);
      }
      target = parent_;
    }
    source_->send(target, "XdndEnter", 5L << 24, static_cast<long>(source_->atom("text/uri-list")), 0, 0, deliverTo);
    source_->send(target, "XdndPosition", 0, ((kParentX + x) << 16) | (kParentY + y), CurrentTime,
                  static_cast<long>(source_->atom("XdndActionCopy")), deliverTo);
    for (int pass = 0; pass < 400 && !answers.statusSeen; ++pass) pump(uriList, answers);
    if (!drop) {
      source_->send(target, "XdndLeave", 0, 0, 0, 0, deliverTo);
      pump(uriList, answers);
      return answers;
    }
    source_->send(target, "XdndDrop", 0, CurrentTime, 0, 0, deliverTo);
    for (int pass = 0; pass < 400 && !answers.finishedSeen; ++pass) pump(uriList, answers);
    pump(uriList, answers);
    return answers;
  }
  void pump(const std::string& uriList, DragAnswers& answers) {
    sync();
    plugin_->dispatch(effEditIdle);
    source_->serve(uriList, answers);
  }
  // The recording loads on the instrument's loader; the host's idle calls install it.
  void waitForRecording(const fs::path& wav) {
    for (int pass = 0; pass < 10000 && chunkPath() != wav.string(); ++pass) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      plugin_->dispatch(effEditIdle);
    }
    EXPECT_EQ(chunkPath(), wav.string());
  }
  std::string chunkPath() {
    const std::vector<uint8_t> chunk = plugin_->getChunk(false);
    return std::string(reinterpret_cast<const char*>(chunk.data()),
                       strnlen(reinterpret_cast<const char*>(chunk.data()), chunk.size()));
  }
  fs::path writeWav(const char* name) {
    return writeTestWav((folder_.filename() / name).string(), 4410);  // inside folder_, which SetUp made
  }

  std::unique_ptr<host::PluginHost> plugin_;
  std::unique_ptr<DragSource> source_;
  fs::path folder_;
};

// The middle of the wave display, and a place on the delay bars.
constexpr int kWaveX = (layout::kWaveDisplayRect.left + layout::kWaveDisplayRect.right) / 2;
constexpr int kWaveY = (layout::kWaveDisplayRect.top + layout::kWaveDisplayRect.bottom) / 2;
constexpr int kBarsX = 200, kBarsY = 200;

TEST_F(XdndDrop, ARecordingDroppedOnTheWaveDisplayLoadsAndElsewhereIsRefused) {
  const fs::path wav = writeWav("take 1%.wav");
  const std::string escaped = (folder_ / "take%201%25.wav").string();
  // Refused over the bars: the pointer shows no action, and leaving changes nothing.
  DragAnswers away = drag("file://" + escaped + "\r\n", kBarsX, kBarsY, false);
  EXPECT_TRUE(away.statusSeen);
  EXPECT_FALSE(away.statusAccepted);
  EXPECT_EQ(away.statusAction, static_cast<Atom>(None));
  EXPECT_EQ(away.selectionRequests, 1);
  EXPECT_EQ(chunkPath(), "");
  // Taken over the wave display, the host part "localhost" as some sources write it.
  DragAnswers over = drag("file://localhost" + escaped + "\r\n", kWaveX, kWaveY, true);
  EXPECT_TRUE(over.statusAccepted);
  EXPECT_EQ(over.statusAction, source_->atom("XdndActionCopy"));
  EXPECT_EQ(over.answeredFor, editorWindowIn(parent_));
  EXPECT_TRUE(over.finishedSeen);
  EXPECT_TRUE(over.finishedAccepted);
  waitForRecording(wav);
}

// A source that addresses the host's window (its XdndProxy names the editor's, as an LV2 host's wrapper
// sets it) takes only answers that name the window it addressed.
TEST_F(XdndDrop, AnswersNameTheWindowTheSourceAddressedThroughAProxy) {
  const fs::path wav = writeWav("proxied.wav");
  DragAnswers over = drag("file://" + wav.string() + "\r\n", kWaveX, kWaveY, true, true);
  EXPECT_TRUE(over.statusAccepted);
  EXPECT_EQ(over.answeredFor, parent_);
  EXPECT_TRUE(over.finishedAccepted);
  waitForRecording(wav);
}

TEST_F(XdndDrop, ABankIsTakenAnywhereAndATextFileNowhere) {
  // A bank without samples whose record holds another level.
  const float level = plugin_->getParameter(0);
  plugin_->setParameter(0, 0.125f);
  const std::vector<uint8_t> record = plugin_->getChunk(false);
  plugin_->setParameter(0, level);
  const fs::path bank = folder_ / "settings.vlb";
  {
    std::ofstream out(bank, std::ios::binary);
    const int16_t revision = 4, version = 10;
    const int32_t one = 1, waves = 0;
    out.write("VLB ", 4);
    out.write(reinterpret_cast<const char*>(&revision), 2);
    out.write(reinterpret_cast<const char*>(&version), 2);
    out.write(reinterpret_cast<const char*>(&one), 4);
    out.write(reinterpret_cast<const char*>(&waves), 4);
    out.write("PROG", 4);
    out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
  }
  const fs::path text = folder_ / "notes.txt";
  std::ofstream(text) << "not a recording\n";

  DragAnswers refused = drag("file://" + text.string() + "\r\n", kWaveX, kWaveY, true);
  EXPECT_TRUE(refused.statusSeen);
  EXPECT_FALSE(refused.statusAccepted);
  EXPECT_FALSE(refused.finishedAccepted);
  EXPECT_FLOAT_EQ(plugin_->getParameter(0), level);

  DragAnswers taken = drag("# a comment line\r\nfile://" + bank.string() + "\r\n", kBarsX, kBarsY, true);
  EXPECT_TRUE(taken.statusAccepted);
  EXPECT_TRUE(taken.finishedAccepted);
  EXPECT_FLOAT_EQ(plugin_->getParameter(0), 0.125f);
}

}  // namespace
}  // namespace tarnwick::test
