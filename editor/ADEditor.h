// The instrument's editor: a fixed 554 × 356 window of bitmap controls over the engine's values.
//
// Threads: both of the instrument's engines echo every parameter write into setParameter: the model on
// the user-interface side, the playing engine on the audio thread (host automation may come there).
// setParameter only stores the value in a preallocated table and marks it pending; idle, on the
// user-interface thread, applies pending values to the controls and runs the notifications. Everything
// else is [ui-thread].
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/EditorCommands.h"
#include "editor/EditorModel.h"
#include "editor/MeterLevel.h"
#include "engine/Interfaces.h"
#include "engine/ParameterTable.h"
#include "gui/AEffGUIEditor.h"
#include "gui/CControl.h"
#include "gui/FileDropTarget.h"
#include "storage/FileKind.h"
#include "storage/StorageResult.h"

namespace tarnwick {

namespace gui {
class CBitmap;
class CHorizontalSlider;
class CKickButton;
class CKnob;
class COnOffButton;
class COptionMenu;
class CSplashScreen;
class CVerticalSlider;
class CVuMeter;
}  // namespace gui
namespace platform {
class EditorWindow;
}

class CBoxSlider;
class CLabel;
class EditorActions;
class FileSelection;
class WaveDisplay;

// The window's controls; null while the editor is closed.
struct EditorControls {
  WaveDisplay* wave = nullptr;
  gui::CHorizontalSlider* bufferStart = nullptr;
  gui::CSplashScreen* about = nullptr;
  CLabel* status = nullptr;
  CLabel* keyLabel = nullptr;
  gui::CVuMeter* meter = nullptr;
  gui::CVerticalSlider* bars[kGrainCount] = {};
  CBoxSlider* overlay = nullptr;
  gui::CKickButton* copy[kCopySlots] = {};
  gui::CKickButton* paste[kCopySlots] = {};
  WaveDisplay* slots[kCopySlots] = {};
  gui::CVerticalSlider* release = nullptr;
  gui::CVerticalSlider* grainLength = nullptr;
  gui::CVerticalSlider* envelope = nullptr;
  gui::CKnob* level = nullptr;
  gui::CKickButton* loadAudio = nullptr;
  gui::COnOffButton* move = nullptr;
  gui::COnOffButton* morph = nullptr;
  gui::COptionMenu* bankMenu = nullptr;
  gui::CKickButton* saveBank = nullptr;
  gui::COnOffButton* flood = nullptr;
  gui::COnOffButton* trigger = nullptr;
  gui::COptionMenu* mainMenu = nullptr;
  // Submenus of the main menu, not in the frame.
  gui::COptionMenu* delayRange = nullptr;
  gui::COptionMenu* keyMapping = nullptr;
  gui::COptionMenu* morphAlgorithm = nullptr;
  gui::COptionMenu* reset = nullptr;
  gui::COptionMenu* scale = nullptr;
};

// The scale menu's tag: the editor's own, no parameter.
inline constexpr int32_t kScaleMenuTag = 300;

// Status-line colours.
inline constexpr gui::CColor kErrorColour{198, 101, 102, 255};
inline constexpr gui::CColor kInfoColour{200, 200, 200, 255};
inline constexpr gui::CColor kMasterKeyColour{198, 81, 82, 255};

class ADEditor : public gui::AEffGUIEditor,
                 public gui::CControlListener,
                 public EditorSink,
                 public EditorCommands,
                 public gui::FileDropTarget {
 public:
  // actions may be null (no dialogs, no auditioning).
  ADEditor(gui::EditorHost* effect, EditorModel* model, EditorActions* actions = nullptr);
  ~ADEditor() override;

  // Opens on the host's parent window; false (and nothing built) when no window can be made there, for
  // example without a display.
  bool open(void* parent) override;
  // Opens on the given window (tests and the headless probe pass an OffscreenWindow); the window takes
  // the size of the editor's scale.
  bool openOn(std::unique_ptr<platform::EditorWindow> window, void* parent = nullptr);
  void close() override;
  // The window's extent in pixels at the scale it has (or would open at on a real window).
  bool getRect(gui::EditorRect** rect) override;

  // Scale: the user's choice in the main menu (remembered in the registry) comes first; on Auto the host's
  // content scale when it gave one, else (on a real window) the desktop's, else 1x. A change while open
  // resizes the window at the next idle and asks the host for the new size.
  // [ui-thread] The host's content scale (1.0 = 1x; the nearest of 1x, 1.5x, 2x is used), from any format's
  // adapter before or after open; 0 or less forgets it.
  void setHostScale(double factor);
  // [ui-thread] The user's choice in halves (0 = Auto, 2 = 100 %, 3 = 150 %, 4 = 200 %), as the menu sets it;
  // remembered for later windows and instances.
  void chooseScale(int32_t halves);
  int32_t chosenScale() const { return userScale_; }
  // The scale in halves (2 = 1x, 3 = 1.5x, 4 = 2x) the window has, or would open at now.
  int32_t scaleHalves() const;
  // Applies pending values, delivers window input, refreshes the meter, the bar highlights, the buttons'
  // highlights and the edit row, and draws what changed.
  void idle() override;

  // [any-thread] The instrument's echo: stores the value for the next idle. Never blocks or allocates.
  void setParameter(int32_t index, float value) override;
  // The listener of every control.
  void valueChanged(gui::CDrawContext* context, gui::CControl* control) override;
  // A stroke over the bar overlay is one gesture for every delay bar it touches: each bar's begin goes to
  // the host when the stroke first reaches it, and every end when the stroke ends.
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  // The editor's own commands (EditorCommand), and the dialog controls' values (260..262).
  void editorCommand(int32_t command, float value) override;
  void auditionKey(int32_t key, bool on) override;
  void stopAllGrains() override;
  // Dropped files (ADEditorDrop.cpp): a recording over the wave display, a bank anywhere.
  bool acceptsDrop(const gui::FileDrag& drag, const gui::CPoint& where) override;
  void dropFiles(const gui::FileDrag& drag, const gui::CPoint& where) override;

  // Status line: a numbered message in its colour, or a three-part information line.
  void showStatus(int32_t code);
  void showStatusText(const char* a, const char* b, const char* c);
  // "nothing to do...." for a dialog the user cancelled, in the information colour.
  void showCancelled();
  // The key label for key row k (0..128).
  void showEditKey(int32_t k);
  // The status line's text ("" while the window is closed).
  const char* statusText() const;

  // For tests and tools.
  const EditorControls& controls() const { return c_; }
  int32_t hoveredBar() const { return hoveredBar_; }
  int32_t shownEditRow() const { return shownEditRow_; }
  int32_t shownPlayingGrain() const { return shownPlayingGrain_; }
  gui::CControl* highlightedControl() const { return highlightedControl_; }
  const char* noteNameText() const { return noteNameText_; }
  const char* numberText() const { return numberText_; }
  EditorModel* model() const { return model_; }
  // The clock (seconds) the level meter falls back by; null for the steady clock. For tests.
  void setMeterClock(double (*clock)()) { meterClock_ = clock; }
  EditorActions* actions() const { return actions_; }
  bool dialogOpen() const { return dialog_ != Dialog::kNone; }
  // The percent a recording loading without the editor waiting has come, as the status line showed it
  // last; -1 when none loads.
  int32_t loadingPercent() const { return loadingAudio_ ? std::max(shownLoadPercent_, 0) : -1; }

 private:
  static constexpr int32_t kBitmapBase = 128;
  // The delay bars the running overlay stroke has begun (bit b: bar b), and whether one runs.
  uint32_t strokeBars_ = 0;
  bool strokeActive_ = false;
  static constexpr int32_t kBitmapSlots = 53;  // resources 128..180

  // Layout (ADEditorLayout.cpp).
  void buildControls();
  void buildTopRow();
  gui::CBitmap* bitmap(int32_t id);
  void releaseBitmap(int32_t id);
  void releaseAllBitmaps();
  // Menus (ADEditorMenus.cpp).
  void buildSubmenus();
  void buildMainMenu();
  // Scale (ADEditorScale.cpp): the window takes scaleHalves() when it differs; the host hears the new size.
  void applyScale();
  void updateRect(int32_t halves);
  // The bank menu: the dialog's entry, then (after a separator) one entry per recent bank file.
  void fillBankMenu(gui::COptionMenu* menu);
  // The recent bank file that bank menu entry `entry` shows; null for the other entries.
  const char* recentBankAt(int32_t entry);
  static constexpr int32_t kFirstRecentBankEntry = 2;
  // Status lines of the controls (ADEditorControls.cpp).
  void reportAutomated(int32_t tag, float value);
  int32_t currentEditRow();
  // File dialogs (ADEditorDialogs.cpp).
  enum class Dialog { kNone, kLoadAudio, kLoadBank, kSaveBank };
  // proposed: the path whose folder and name a save dialog starts with (else the bank's).
  void startDialog(Dialog kind, const std::string* proposed = nullptr);
  void pollDialog();
  void finishLoadAudio(bool chosen, const std::string& path);
  // The recording load's end, however it ran: the last played key's values, then the result's line.
  void endLoadAudio(StorageResult result);
  // A load the editor does not wait for (ADEditorLoad.cpp): its progress in the status line, its end.
  void pollAudioLoad();
  void showLoadProgress(int32_t percent);
  void finishSaveBank(bool chosen, std::string path);
  void loadBankFromMenu(float value);
  void finishLoadBank(const std::string& path, bool fromDialog);
  void addRecentBank(const std::string& path);
  // Dropped files (ADEditorDrop.cpp).
  FileKind droppedKind(const std::string& path);
  // "cannot load NAME: reason" in the error colour.
  void showDropRefused(const std::string& path, const char* reason);
  // Echo table (ADEditorParameters.cpp).
  void clearPending();
  void applyPending();
  void applyValue(int32_t index, float value);
  gui::CControl* controlShowing(EditorControl control, int32_t index) const;
  void setControl(gui::CControl* control, float value);
  void rebindWaveDisplay();
  void redrawAll();
  void refreshSlots();
  // Idle refresh (ADEditorIdle.cpp).
  void updateBarHover(int32_t playingGrain);
  void updatePlayingMarker(int32_t playingGrain);
  void updateHighlight();
  void refreshEditRow(int32_t row);
  // The level meter from the output's peak since the last look.
  void refreshMeter();
  // What the window shows of the live state (meter, playing marker, the wave display's grain window),
  // also while a modal loop runs (a held click auditions a key).
  void refreshLive(const LiveState& live);
  void modalIdle() override;
  // The instrument's notice about the recording, when it changed since it was last shown (or the window
  // is new): shown in the status line.
  void showRecordingNotice();
  void setBarHandle(int32_t bar, bool hovered, bool playing);

  EditorModel* model_;
  EditorActions* actions_;
  gui::CBitmap* backgroundBitmap_ = nullptr;
  gui::CBitmap* bitmaps_[kBitmapSlots] = {};
  EditorControls c_;

  int32_t hoveredBar_ = -1;
  int32_t shownEditRow_ = 0;
  int32_t shownPlayingGrain_ = -1;
  gui::CControl* highlightedControl_ = nullptr;
  gui::CBitmap* savedBitmap_ = nullptr;
  char noteNameText_[8] = {};
  char numberText_[8] = {};
  char parameterText_[24] = {};
  char unitText_[24] = {};
  MeterLevel meterLevel_;
  double (*meterClock_)() = nullptr;
  static constexpr uint32_t kNoNoticeShown = 0xFFFFFFFFu;
  uint32_t shownNoticeSerial_ = kNoNoticeShown;
  std::string shownNotice_;  // the notice as the status line took it
  Dialog dialog_ = Dialog::kNone;
  std::unique_ptr<FileSelection> selection_;
  std::string saveAgainAt_;  // the save dialog opens again at the next idle, proposing this path
  // The recording loading while the window runs: its path, the percent and the line last shown.
  bool loadingAudio_ = false;
  std::string loadingPath_;
  int32_t shownLoadPercent_ = -1;
  std::string loadingLine_;
  std::unique_ptr<WaveSummary> waveScratch_;
  std::string dropKindPath_;  // the file a drag carries, read once per drag
  FileKind dropKind_ = FileKind::kOther;
  int32_t userScale_ = 0;         // halves; 0 = Auto
  int32_t hostScale_ = 0;         // halves; 0 = the host gave none
  int32_t desktopScale_ = -1;     // halves; 0 = the desktop says nothing, -1 = not asked yet
  bool onDesktopWindow_ = false;  // the frame is in a host's window (not the probe's or a test's)
  bool scalePending_ = false;     // applyScale at the next idle

  // The echo table: the latest value per index and one pending bit per index.
  std::atomic<bool> accepting_{false};
  std::atomic<float> pendingValue_[kIndexCount];
  std::atomic<uint32_t> pendingBits_[(kIndexCount + 31) / 32];
};

// The bank menu's text for a recent file: the path when it has at most 72 characters, else "..." and its
// last 72 characters. out holds at least 76 characters.
void recentFileMenuText(const char* path, char* out);

}  // namespace tarnwick
