// Helpers for the editor tests: a recording instrument and model, an editor on an offscreen window, and
// pixel checks against the bitmap resources.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/ADEditor.h"
#include "editor/CBoxSlider.h"
#include "editor/CLabel.h"
#include "editor/EditorActions.h"
#include "editor/Layout.h"
#include "editor/WaveDisplay.h"
#include "gui/Toolkit.h"
#include "platform/OffscreenWindow.h"
#include "vst/VstInterface.h"

namespace tarnwick::test {

using namespace gui;

// The instrument as the editor sees it: parameter values in a table, every write recorded.
struct FakeHost : EditorHost {
  void setParameterAutomated(int32_t index, float value) override {
    automated.emplace_back(index, value);
    values[index] = value;
  }
  void setParameter(int32_t index, float value) override {
    plain.emplace_back(index, value);
    values[index] = value;
  }
  float getParameter(int32_t index) override {
    const auto it = values.find(index);
    return it == values.end() ? 0.0f : it->second;
  }
  void beginEdit(int32_t index) override { edits.push_back("begin " + std::to_string(index)); }
  void endEdit(int32_t index) override { edits.push_back("end " + std::to_string(index)); }
  void idleHost() override { ++idleCount; }
  bool sizeWindow(int32_t width, int32_t height) override {
    sizes.emplace_back(width, height);
    return true;
  }

  std::map<int32_t, float> values;
  std::vector<std::pair<int32_t, float>> automated;
  std::vector<std::pair<int32_t, float>> plain;
  std::vector<std::string> edits;
  std::vector<std::pair<int32_t, int32_t>> sizes;  // sizeWindow requests
  int idleCount = 0;
};

struct FakeModel : EditorModel {
  FakeModel() {
    live.editRow = kMasterRow;
    for (auto& slot : copyBuffer)
      for (float& v : slot) v = 0.5f;
  }
  void readLive(LiveState& out) override { out = live; }
  float readPeakLevel() override {
    const float p = peak;
    peak = 0.0f;
    return p;
  }
  void readRow(int32_t row, RowSnapshot& snapshot) override {
    ++rowReads;
    snapshot = rows[row];
  }
  void readWave(WaveSummary& summary) override {
    ++waveReads;
    summary = wave;
  }
  void readCopyBuffer(float slots[kCopySlots][kGrainCount]) override {
    ++copyReads;
    for (int j = 0; j < kCopySlots; ++j)
      for (int k = 0; k < kGrainCount; ++k) slots[j][k] = copyBuffer[j][k];
  }
  const char* recentFile(int32_t index) override { return index >= 0 && index < 20 ? recent[index].c_str() : ""; }
  void parameterDisplay(int32_t index, char* text) override { std::snprintf(text, 9, "d%d", static_cast<int>(index)); }
  void parameterLabel(int32_t index, char* text) override { std::snprintf(text, 9, "u%d", static_cast<int>(index)); }
  void readStorageSummary(StorageSummary& summary) override { summary = storage; }

  LiveState live;
  StorageSummary storage;
  float peak = 0.0f;
  RowSnapshot rows[kRowCount];
  WaveSummary wave;
  float copyBuffer[kCopySlots][kGrainCount];
  std::string recent[20];
  int rowReads = 0, waveReads = 0, copyReads = 0;
};

// The instrument's actions: notes and storage calls recorded, the host's selector answering from a script.
struct FakeActions : EditorActions {
  bool playNote(const MidiMessage& m) override {
    played.push_back(m);
    return true;
  }
  void sendToHost(const MidiMessage& m) override { toHost.push_back(m); }
  StorageResult loadAudioFile(const char* path) override { return record("audio", path); }
  StorageResult loadBank(const char* path) override { return record("load", path); }
  StorageResult saveBank(const char* path) override { return record("save", path); }
  void selectLastKey() override { calls.push_back("select"); }
  const char* bankFileName() override { return bank.c_str(); }
  void setBankFileName(const char* path) override { bank = path; }
  // As the instrument's list: a path already there keeps its place, a new one comes first.
  bool addRecentFile(const char* path) override {
    calls.push_back(std::string("recent ") + path);
    if (recent == nullptr) return true;
    for (int i = 0; i < 20; ++i)
      if (recent[i] == path) return false;
    for (int i = 19; i > 0; --i) recent[i] = recent[i - 1];
    recent[0] = path;
    return true;
  }
  void previewRecording(const char* path) override { previews.push_back(path); }
  bool hostHasFileSelector() override { return hostSelector; }
  // As a host that cuts the path to the VST adapter's result buffer (2,047 characters and the terminator).
  bool runHostFileSelector(const FileSelectRequest& request, std::string& path) override {
    selects.push_back(request.title);
    if (picks.empty()) return false;
    path = picks.front().substr(0, 2047);
    picks.erase(picks.begin());
    return !path.empty();
  }
  StorageResult record(const char* what, const char* path) {
    calls.push_back(std::string(what) + " " + path);
    if (results.empty()) return result;
    const StorageResult next = results.front();
    results.erase(results.begin());
    return next;
  }

  std::vector<MidiMessage> played, toHost;
  std::vector<std::string> calls, selects, picks, previews;
  std::string bank = "Tarnwick VSTi V1.0";
  StorageResult result = kStorageOk;
  std::vector<StorageResult> results;  // answered first, one per call, before `result`
  std::string* recent = nullptr;       // the model's list
  bool hostSelector = true;
};

// An ADEditor over the fakes, opened on an offscreen window.
struct EditorFixture : ::testing::Test {
  FakeHost host;
  FakeModel model;
  FakeActions actions;
  std::unique_ptr<ADEditor> editor;
  platform::OffscreenWindow* window = nullptr;

  void openEditor() {
    actions.recent = model.recent;
    if (!editor) editor = std::make_unique<ADEditor>(&host, &model, &actions);
    auto w = std::make_unique<platform::OffscreenWindow>(layout::kWindowWidth, layout::kWindowHeight);
    window = w.get();
    ASSERT_TRUE(editor->openOn(std::move(w)));
    // The mouse starts outside the window, so nothing is hovered.
    window->setMouse(-20, -20, 0);
    editor->idle();
  }
  const EditorControls& c() const { return editor->controls(); }
  void idle(int n = 1) {
    for (int i = 0; i < n; ++i) editor->idle();
  }
  void click(CCoord x, CCoord y, int32_t buttons = kLButton) {
    window->queueMouse(x, y, buttons);
    window->queueMouse(x, y, 0);
    idle();
  }
  void hover(CCoord x, CCoord y) {
    window->queueMouse(x, y, 0);
    idle();
  }
  void drag(const std::vector<CPoint>& path, int32_t buttons = kLButton) {
    for (const CPoint& p : path) window->queueMouse(p.x, p.y, buttons);
    window->queueMouse(path.back().x, path.back().y, 0);
    idle();
  }
};

inline uint32_t rgb(uint32_t argb) { return argb & 0xFFFFFFu; }

// Whether the opaque pixels of the part `source` of bitmap `id` appear at `at` in the window (RGB compared).
// Needs at least minOpaque opaque pixels to count as a check at all.
inline ::testing::AssertionResult showsBitmap(const platform::OffscreenWindow& w, int32_t id, CPoint at,
                                              CRect source = CRect(), int minOpaque = 8) {
  CBitmap bitmap(id);
  if (!bitmap.isLoaded()) return ::testing::AssertionFailure() << "bitmap " << id << " missing";
  if (source.isEmpty()) source = CRect(0, 0, bitmap.getWidth(), bitmap.getHeight());
  int opaque = 0;
  for (CCoord y = source.top; y < source.bottom; ++y) {
    for (CCoord x = source.left; x < source.right; ++x) {
      const uint32_t p = bitmap.getPixel(x, y);
      if ((p >> 24) != 0xFF) continue;
      ++opaque;
      const uint32_t shown = w.pixel(at.x + x - source.left, at.y + y - source.top);
      if (rgb(shown) != rgb(p)) {
        return ::testing::AssertionFailure() << "bitmap " << id << " pixel (" << x << ", " << y << ") is " << std::hex
                                             << rgb(p) << " but the window shows " << rgb(shown) << std::dec << " at ("
                                             << at.x + x - source.left << ", " << at.y + y - source.top << ")";
      }
    }
  }
  if (opaque < minOpaque) return ::testing::AssertionFailure() << "bitmap " << id << " has too few opaque pixels";
  return ::testing::AssertionSuccess();
}

// The window's pixels inside r.
inline std::vector<uint32_t> pixelsIn(const platform::OffscreenWindow& w, const CRect& r) {
  std::vector<uint32_t> out;
  for (CCoord y = r.top; y < r.bottom; ++y)
    for (CCoord x = r.left; x < r.right; ++x) out.push_back(rgb(w.pixel(x, y)));
  return out;
}

inline int countColour(const platform::OffscreenWindow& w, const CRect& r, const CColor& c) {
  int n = 0;
  for (uint32_t p : pixelsIn(w, r)) n += p == rgb(c.toArgb());
  return n;
}

}  // namespace tarnwick::test
