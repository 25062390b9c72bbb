// The editor through the built Tarnwick.so: the has-editor flag, the editor size, opening without a
// display, the headless probe and the screenshot command.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "storage/AudioFileReader.h"
#include "storage/BankFile.h"
#include "tests/plugin/TestSupport.h"
#include "tests/support/BuiltPlugin.h"
#include "tools/hostlib/PluginHost.h"
#include "vst/EditorProbe.h"

namespace tarnwick::host {
namespace {

using test::loadPlugin;

intptr_t probe(PluginHost& host, EditorProbeCommand command, EditorProbeRecord& record) {
  return host.dispatch(effVendorSpecific, kEditorProbeIndex, command, &record);
}

TEST(PluginEditor, AnnouncesItsEditorAndItsSize) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EXPECT_EQ(host->effect()->flags, 0x131);
  ERect* rect = nullptr;
  ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 356);
  EXPECT_EQ(rect->right, 554);
  EXPECT_EQ(host->dispatch(effEditGetRect, 0, 0, nullptr), 0);
  EXPECT_EQ(host->dispatch(effSetEditKnobMode, 0, 2), 1);
}

TEST(PluginEditor, OpeningWithoutADisplayAnswersZeroAndTheHostCarriesOn) {
  ::unsetenv("DISPLAY");
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  host->resume();
  int parentStandIn = 0;
  EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, &parentStandIn), 0);
  EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(host->dispatch(effEditIdle), 0);
  host->setParameter(12, 0.4f);
  EXPECT_FLOAT_EQ(host->getParameter(12), 0.4f);
  std::vector<float> left(256), right(256);
  host->sendMidi({{0, 0x90, 60, 100}});
  host->process(left.data(), right.data(), 256);
  EXPECT_EQ(host->dispatch(effEditClose), 1);
  EXPECT_EQ(host->dispatch(effEditIdle), 0);
  host->close();
}

TEST(PluginEditor, ProbeOpensClicksAndReadsTheWindow) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EditorProbeRecord wrongVersion;
  wrongVersion.version = 99;
  EXPECT_EQ(probe(*host, kProbeOpen, wrongVersion), 0);
  EXPECT_EQ(host->dispatch(effVendorSpecific, 0x1234, kProbeOpen, &wrongVersion), 0);
  EditorProbeRecord notOpen;
  EXPECT_EQ(probe(*host, kProbeIdle, notOpen), 0);

  EditorProbeRecord open;
  ASSERT_EQ(probe(*host, kProbeOpen, open), 1);
  EXPECT_EQ(open.width, 554);
  EXPECT_EQ(open.height, 356);
  EditorProbeRecord idle;
  idle.count = 2;
  ASSERT_EQ(probe(*host, kProbeIdle, idle), 1);
  EXPECT_EQ(host->dispatch(effEditIdle), 1);

  // A click on the move button switches move on in the instrument.
  for (int32_t buttons : {1, 0}) {
    EditorProbeRecord m;
    m.x = 330;
    m.y = 46;
    m.buttons = buttons;
    ASSERT_EQ(probe(*host, kProbeMouse, m), 1);
  }
  ASSERT_EQ(probe(*host, kProbeIdle, idle), 1);
  EXPECT_EQ(host->getParameter(5), 1.0f);
  const auto automation = host->log().automation();
  ASSERT_FALSE(automation.empty());
  EXPECT_EQ(automation.back().index, 5);

  std::vector<uint32_t> pixels(554 * 356);
  EditorProbeRecord read;
  read.pixels = pixels.data();
  read.pixelCapacity = 100;
  EXPECT_EQ(probe(*host, kProbeRead, read), 0);  // too small a buffer
  read.pixelCapacity = static_cast<int32_t>(pixels.size());
  ASSERT_EQ(probe(*host, kProbeRead, read), 1);
  // The title in the status line: light grey text.
  int title = 0;
  for (int y = 13; y < 29; ++y)
    for (int x = 15; x < 470; ++x) title += (pixels[static_cast<size_t>(y) * 554 + x] & 0xFFFFFFu) == 0xC8C8C8u;
  EXPECT_GT(title, 50);

  EditorProbeRecord close;
  EXPECT_EQ(probe(*host, kProbeClose, close), 1);
  EXPECT_EQ(probe(*host, kProbeRead, read), 0);
  EXPECT_EQ(probe(*host, kProbeMouse, close), 0);
  host->close();
}

std::string probeStatus(PluginHost& host) {
  char text[512] = {};
  EditorProbeRecord r;
  r.text = text;
  r.textCapacity = static_cast<int32_t>(sizeof text);
  return probe(host, kProbeStatus, r) == 1 ? std::string(text) : std::string();
}

int32_t probeLoading(PluginHost& host) {
  EditorProbeRecord r;
  return probe(host, kProbeLoading, r) == 1 ? r.count : -2;
}

// A recording dropped on the wave display loads while the host keeps calling the editor's idle: the
// status line tells how far it has come, the state names it once it is in place and the line is the
// audio line. A session the host restores while one loads keeps its own recording.
TEST(PluginEditor, ADroppedRecordingLoadsWhileTheEditorIdles) {
  const std::string big = tarnwick::test::writeTestWav("probe-load-big.wav", 96000 * 20, 220.0, 330.0, 96000);
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  host->resume();
  const std::vector<uint8_t> empty = host->getChunk(false);
  EditorProbeRecord open, idle;
  ASSERT_EQ(probe(*host, kProbeOpen, open), 1);
  idle.count = 1;
  const auto dropBig = [&] {
    EditorProbeRecord drop;
    drop.x = 278;
    drop.y = 90;
    drop.path = big.c_str();
    ASSERT_EQ(probe(*host, kProbeDrop, drop), 1);
    ASSERT_EQ(probe(*host, kProbeIdle, idle), 1);
  };
  dropBig();
  EXPECT_EQ(probeStatus(*host).rfind("Loading probe-load-big.wav ... ", 0), 0u) << probeStatus(*host);
  int idles = 0;
  while (probeLoading(*host) >= 0 && idles < 100000) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(host->getChunk(false).data())), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(probe(*host, kProbeIdle, idle), 1);
    ++idles;
  }
  EXPECT_GT(idles, 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(host->getChunk(false).data())), big);
  EXPECT_NE(probeStatus(*host).find("probe-load-big.wav [20.00 sec audio] "), std::string::npos) << probeStatus(*host);

  ASSERT_EQ(host->setChunk(empty, false), 1);
  dropBig();
  ASSERT_EQ(host->setChunk(empty, false), 1);  // the host restores its session meanwhile
  ASSERT_EQ(probe(*host, kProbeIdle, idle), 1);
  EXPECT_EQ(probeLoading(*host), -1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(host->getChunk(false).data())), "");
  host->close();
}

// The window's pixels after opening through the probe (and the host's content scale first when given).
std::vector<uint32_t> probePicture(PluginHost& host, int32_t& width, int32_t& height) {
  EditorProbeRecord open, idle, read;
  if (probe(host, kProbeOpen, open) != 1) return {};
  idle.count = 2;
  probe(host, kProbeIdle, idle);
  width = open.width;
  height = open.height;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  read.pixels = pixels.data();
  read.pixelCapacity = static_cast<int32_t>(pixels.size());
  if (probe(host, kProbeRead, read) != 1) return {};
  return pixels;
}

TEST(PluginEditor, TheHostsContentScaleDrawsTheWindowAtTwiceItsResolution) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  int32_t w1 = 0, h1 = 0, w2 = 0, h2 = 0;
  const std::vector<uint32_t> one = probePicture(*host, w1, h1);
  ASSERT_EQ(w1, 554);
  EditorProbeRecord close;
  probe(*host, kProbeClose, close);  // the host's scale comes before the window opens
  EXPECT_EQ(host->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 0.0f), 0);  // no factor
  ASSERT_EQ(host->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 2.0f), 1);
  // The rectangle the host sizes its window by, and the window itself.
  ERect* rect = nullptr;
  ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 1108);
  EXPECT_EQ(rect->bottom - rect->top, 712);
  const std::vector<uint32_t> two = probePicture(*host, w2, h2);
  ASSERT_EQ(w2, 1108);
  ASSERT_EQ(h2, 712);

  // Not the 1x picture with every pixel doubled: text, outlines and curves have their own pixels inside
  // most 2 x 2 blocks; yet both show the same window (the panel colour at the same places).
  int32_t mixedBlocks = 0, samePlaces = 0;
  for (int32_t y = 0; y < h1; ++y)
    for (int32_t x = 0; x < w1; ++x) {
      const uint32_t* p = &two[static_cast<size_t>(2 * y) * 1108 + static_cast<size_t>(2 * x)];
      mixedBlocks += p[0] != p[1] || p[0] != p[1108] || p[0] != p[1109];
      samePlaces += p[0] == one[static_cast<size_t>(y) * 554 + static_cast<size_t>(x)];
    }
  EXPECT_GT(mixedBlocks, 4000);
  EXPECT_GT(samePlaces, w1 * h1 / 2);
  // The title's text in the status line is drawn, in its colour, at this size.
  int title = 0;
  for (int y = 26; y < 58; ++y)
    for (int x = 30; x < 940; ++x) title += (two[static_cast<size_t>(y) * 1108 + x] & 0xFFFFFFu) == 0xC8C8C8u;
  EXPECT_GT(title, 200);

  // A click at twice the move button's coordinates switches move on.
  for (int32_t buttons : {1, 0}) {
    EditorProbeRecord m;
    m.x = 2 * 330;
    m.y = 2 * 46;
    m.buttons = buttons;
    ASSERT_EQ(probe(*host, kProbeMouse, m), 1);
  }
  EditorProbeRecord idle;
  idle.count = 1;
  ASSERT_EQ(probe(*host, kProbeIdle, idle), 1);
  EXPECT_EQ(host->getParameter(5), 1.0f);
  probe(*host, kProbeClose, close);
  host->close();
}

uint32_t bigEndian(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

TEST(ScreenshotCommand, WritesThePngOfTheWindow) {
  const std::string out = ::testing::TempDir() + "tarnwick-editor.png";
  std::remove(out.c_str());
  const std::string command = std::string("'") + TARNWICK_HOST_TOOL + "' screenshot '" + TARNWICK_PLUGIN_PATH + "' '" +
                              out + "' --click 330,46 --note 60 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream png(out, std::ios::binary);
  ASSERT_TRUE(png);
  unsigned char head[24] = {};
  png.read(reinterpret_cast<char*>(head), sizeof head);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(head) + 1, 3), "PNG");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(head) + 12, 4), "IHDR");
  EXPECT_EQ(bigEndian(head + 16), 554u);
  EXPECT_EQ(bigEndian(head + 20), 356u);

  const std::string bad = std::string("'") + TARNWICK_HOST_TOOL + "' screenshot '" + TARNWICK_PLUGIN_PATH + "' '" +
                          out + "' --click 3 2> /dev/null";
  EXPECT_NE(std::system(bad.c_str()), 0);
}

// The window's dialogs through the tool's file selector: the load-audio button loads the recording (the
// state then carries its path), the save-bank button writes NAME.vlb with the recording's samples bit
// for bit, and the bank menu's dialog entry loads that bank into a fresh instance.
TEST(ScreenshotCommand, DialogsLoadTheRecordingAndSaveAndLoadABank) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(::testing::TempDir()) / "tarnwick-dialogs";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string recording = tarnwick::test::writeTestWav("dialogs-recording.wav", 3000);
  const std::string tool = std::string("'") + TARNWICK_HOST_TOOL + "' screenshot '" + TARNWICK_PLUGIN_PATH + "'";
  auto run = [&](std::initializer_list<std::string> arguments) {
    std::string command = tool;
    for (const std::string& a : arguments) command.append(" '").append(a).append("'");
    return std::system(command.append(" > /dev/null").c_str());
  };
  const fs::path loaded = folder / "loaded.chunk", reloaded = folder / "reloaded.chunk";
  ASSERT_EQ(run({(folder / "a.png").string(), "--select-file", recording, "--click", "46,45", "--chunk-out", loaded}),
            0);
  const auto bytes = [](const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::vector<char> state = bytes(loaded);
  ASSERT_EQ(state.size(), tarnwick::kChunkSize);
  EXPECT_EQ(std::string(state.data()), recording);

  ASSERT_EQ(run({(folder / "b.png").string(), "--chunk", loaded, "--select-file",
                 (folder / "mein Klang \u00fc").string(), "--click", "261,45"}),
            0);
  tarnwick::BankReader reader;
  ASSERT_EQ(reader.open((folder / "mein Klang \u00fc.vlb").c_str()), tarnwick::kStorageOk);
  tarnwick::ChunkImage image;
  ASSERT_EQ(reader.readRecord(image), tarnwick::kStorageOk);
  tarnwick::ChannelPair samples, decoded;
  ASSERT_EQ(reader.readSamples(samples), tarnwick::kStorageOk);
  ASSERT_EQ(tarnwick::readAudioFile(recording.c_str(), decoded), tarnwick::kStorageOk);
  ASSERT_EQ(samples.frameCount, decoded.frameCount);
  EXPECT_EQ(0, std::memcmp(samples.left.get(), decoded.left.get(), 4 * static_cast<size_t>(decoded.frameCount)));
  EXPECT_EQ(0, std::memcmp(samples.right.get(), decoded.right.get(), 4 * static_cast<size_t>(decoded.frameCount)));

  ASSERT_EQ(run({(folder / "c.png").string(), "--select-file", (folder / "mein Klang \u00fc.vlb").string(), "--click",
                 "181,45", "--click", "180,62", "--chunk-out", reloaded}),
            0);
  EXPECT_EQ(bytes(reloaded), state);
}

// Files dropped through the probe (tarnwick-host screenshot --drop): a recording over the wave display
// loads and the state carries its path; elsewhere, and a text file anywhere, change nothing and the tool
// prints why; a bank dropped anywhere loads.
TEST(ScreenshotCommand, DroppedFilesLoadOrAreRefusedWithTheReason) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(::testing::TempDir()) / "tarnwick-drops";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string recording = tarnwick::test::writeTestWav("drops-recording.wav", 2000);
  std::ofstream(folder / "notes.txt") << "no sound here\n";
  const std::string tool = std::string("'") + TARNWICK_HOST_TOOL + "' screenshot '" + TARNWICK_PLUGIN_PATH + "'";
  // The tool's standard output.
  auto run = [&](std::initializer_list<std::string> arguments) {
    std::string command = tool;
    for (const std::string& a : arguments) command.append(" '").append(a).append("'");
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
      EXPECT_EQ(pclose(pipe), 0) << command;
    }
    return output;
  };
  const auto bytes = [](const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const fs::path png = folder / "drop.png", loaded = folder / "loaded.chunk", refused = folder / "refused.chunk";
  const std::string over = run({png.string(), "--drop", recording + "@278,90", "--chunk-out", loaded.string()});
  EXPECT_NE(over.find("sec audio]"), std::string::npos) << over;
  const std::vector<char> state = bytes(loaded);
  ASSERT_EQ(state.size(), tarnwick::kChunkSize);
  EXPECT_EQ(std::string(state.data()), recording);

  const std::string elsewhere = run({png.string(), "--drop", recording + "@200,200", "--chunk-out", refused.string()});
  EXPECT_NE(elsewhere.find("cannot load drops-recording.wav: drop a recording on the wave display"), std::string::npos)
      << elsewhere;
  EXPECT_EQ(std::string(bytes(refused).data()), "");
  const std::string text = run({png.string(), "--chunk", loaded.string(), "--drop",
                                (folder / "notes.txt").string() + "@278,90", "--chunk-out", refused.string()});
  EXPECT_NE(text.find("cannot load notes.txt: not a recording or bank file"), std::string::npos) << text;
  EXPECT_EQ(bytes(refused), state);

  run({png.string(), "--chunk", loaded.string(), "--select-file", (folder / "dropped").string(), "--click", "261,45"});
  const std::string bank =
      run({png.string(), "--drop", (folder / "dropped.vlb").string() + "@500,300", "--chunk-out", refused.string()});
  EXPECT_NE(bank.find("dropped.vlb ["), std::string::npos) << bank;
  EXPECT_EQ(bytes(refused), state);
}

}  // namespace
}  // namespace tarnwick::host
