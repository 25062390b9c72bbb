// What the controls tell in the status line, the file dialogs' steps, and the wave display's clicks.
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "gui/CFileBrowser.h"

#include "editor/StatusText.h"
#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

std::string status(const EditorFixture& f) { return f.c().status->getText(); }

TEST(StatusText, Float2StringAndTheBankAndAudioLines) {
  char text[16];
  const std::pair<float, const char*> numbers[] = {
      {0.7296f, "0.729600"}, {12.5f, "12.50000"}, {3.0f, "3.000000"}, {-2.5f, "-2.50000"}, {1234567.0f, "1234567."}};
  for (const auto& [value, expected] : numbers) {
    float2string(value, text, sizeof text);
    EXPECT_STREQ(text, expected) << value;
  }
  std::strcpy(text, "stale");
  float2string(1e9f, text, sizeof text);  // nothing it can convert: an empty text, not the old one
  EXPECT_STREQ(text, "");
  float2string(0.7296f, text, 4);
  EXPECT_STREQ(text, "0.72");

  StorageSummary s;
  s.bankFileName = std::string(34, 'b');
  s.audioFileName = std::string(40, 'a');
  s.frameCount = 441000;
  EXPECT_EQ(bankLine(s), s.bankFileName + " [3.4693 MB] ");
  EXPECT_EQ(audioLine(s), s.audioFileName + " [10.00 sec audio] ");
  s.bankFileName += 'B';
  s.audioFileName += 'A';
  s.saved = false;
  EXPECT_EQ(bankLine(s), "..." + s.bankFileName + " [3.4693 MB] [audio changed]");
  EXPECT_EQ(audioLine(s), "..." + s.audioFileName.substr(4) + " [10.00 sec audio] [not saved]");
  s.frameCount = 0;
  EXPECT_EQ(bankLine(s).substr(38), " [0.0000 MB] [audio changed]");
  // Lengths round at the last place shown: float2string alone cuts 7.2 (7.19999981 as a float) to 7.199.
  s.audioFileName = "take.wav";
  s.saved = true;
  const std::pair<int32_t, const char*> lengths[] = {{317520, "7.200"},  {317475, "7.199"}, {440990, "10.00"},
                                                     {4409977, "100.0"}, {22, "0.000"},     {0, "0.000"}};
  for (const auto& [frames, shown] : lengths) {
    s.frameCount = frames;
    EXPECT_EQ(audioLine(s), std::string("take.wav [") + shown + " sec audio] ") << frames;
  }
}

TEST_F(EditorFixture, EveryControlReportsInTheStatusLine) {
  openEditor();
  drag({CPoint(490, 200), CPoint(490, 190)});  // release
  EXPECT_EQ(status(*this), "Release : d2u2");
  drag({CPoint(494, 314), CPoint(494, 300)});  // level knob
  EXPECT_EQ(status(*this), "Amplitude : d0");
  click(330, 46);
  EXPECT_EQ(status(*this), "Move on");
  click(100, 45);
  EXPECT_EQ(status(*this), "selection flooded");
  click(100, 45);
  EXPECT_EQ(status(*this), "unflooded");

  // Bars 1..31 tell by the value the instrument holds after the write; bar 32 by the value given.
  click(15 + 14 * 2 + 5, 137);
  EXPECT_EQ(status(*this), "Delay skipped");
  click(15 + 14 * 2 + 5, 200);
  EXPECT_EQ(status(*this), "Delay : d10u10");
  click(15 + 14 * 31 + 5, 137);
  EXPECT_EQ(status(*this), "Loop off");
  click(15 + 14 * 31 + 5, 200);
  EXPECT_EQ(status(*this), "Loop delay : d39u39");
  EXPECT_STREQ(c().keyLabel->getText(), "MASTER");

  // Copy and paste tell on the release, naming the edit row.
  model.live.editRow = 60;
  click(21 + 8, 300);
  EXPECT_EQ(status(*this), "values copied from note C 3");
  click(21 + 24, 298);
  EXPECT_EQ(status(*this), "values inserted to note C 3");
}

TEST_F(EditorFixture, LoadAudioDialogReportsEveryOutcome) {
  openEditor();
  model.storage.audioFileName = "/music/take.wav";
  model.storage.frameCount = 44100;
  actions.picks = {"/music/take.wav"};
  click(46, 45);
  EXPECT_EQ(actions.selects, (std::vector<std::string>{"Load Audio File"}));
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"audio /music/take.wav", "select"}));
  EXPECT_EQ(status(*this), "/music/take.wav [1.000 sec audio] ");
  EXPECT_EQ(c().status->getFontColor(), kInfoColour);

  actions.calls.clear();
  actions.result = kStorageBadRate;
  actions.picks = {"/music/other.wav"};
  click(46, 45);
  EXPECT_EQ(actions.calls.back(), "select");  // the last played key's values come back also after a failure
  EXPECT_EQ(status(*this), "Only 44.1k Samplingrate allowed");
  EXPECT_EQ(c().status->getFontColor(), kErrorColour);

  click(46, 45);  // cancelled
  EXPECT_EQ(status(*this), "nothing to do....");
  actions.calls.clear();
  actions.picks = {std::string(1024, 'x')};
  click(46, 45);
  EXPECT_EQ(status(*this), "Filename too long");
  EXPECT_TRUE(actions.calls.empty());
}

TEST_F(EditorFixture, SaveBankAppendsTheExtensionKeepsTheNameOnFailureAndUpdatesTheMenu) {
  model.recent[0] = "/banks/old.vlb";
  openEditor();
  const std::string longest = std::string(1019, 'n') + ".vlb";  // 1023 characters with the extension
  actions.picks = {"bank", "a.VLB", "b.vlb", "c.Vlb", longest.substr(0, 1019), "bad"};
  for (int i = 0; i < 5; ++i) click(261, 45);
  EXPECT_EQ(actions.selects.front(), "Save Bank to");
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"save bank.vlb", "recent bank.vlb", "save a.VLB", "recent a.VLB",
                                                     "save b.vlb", "recent b.vlb", "save c.Vlb.vlb", "recent c.Vlb.vlb",
                                                     "save " + longest, "recent " + longest}));
  EXPECT_EQ(actions.bank, longest);
  // Every new path went to the top of the recent entries; the oldest fell off.
  EXPECT_EQ(c().bankMenu->getNbEntries(), 8);
  EXPECT_EQ(std::string(c().bankMenu->getEntry(2)), "..." + longest.substr(longest.size() - 72));
  EXPECT_STREQ(c().bankMenu->getEntry(6), "bank.vlb");
  EXPECT_STREQ(c().bankMenu->getEntry(7), "/banks/old.vlb");

  actions.result = kStorageCannotWrite;
  click(261, 45);
  EXPECT_EQ(actions.bank, longest);  // the previous name stays
  EXPECT_EQ(status(*this), "Could not open in write mode.");

  // A path that the extension makes too long, or one longer than a path can be that a host cut to the
  // editor's buffer, is refused: nothing is written anywhere else.
  actions.calls.clear();
  actions.result = kStorageOk;
  actions.picks = {std::string(1020, 'n'), std::string(1063, 'm')};
  click(261, 45);
  EXPECT_EQ(status(*this), "Filename too long");
  EXPECT_EQ(c().status->getFontColor(), kErrorColour);
  click(261, 45);
  EXPECT_EQ(status(*this), "Filename too long");
  EXPECT_TRUE(actions.calls.empty());
  EXPECT_EQ(actions.bank, longest);
}

// A cancelled dialog is no error: "nothing to do...." in the information colour. A recent entry that
// cannot be opened still shows it as an error.
TEST_F(EditorFixture, ACancelledDialogSaysNothingToDoInTheInformationColour) {
  model.recent[0] = "< original filename too long >";
  openEditor();
  auto pickBank = [&](int32_t entry) {
    c().bankMenu->setValue(static_cast<float>(entry));
    editor->valueChanged(editor->getFrame()->getDrawContext(), c().bankMenu);
  };
  for (const std::function<void()>& cancel :
       std::vector<std::function<void()>>{[&] { click(46, 45); }, [&] { click(261, 45); }, [&] { pickBank(0); }}) {
    editor->showStatus(kStorageCannotOpen);
    cancel();
    EXPECT_EQ(status(*this), "nothing to do....");
    EXPECT_EQ(c().status->getFontColor(), kInfoColour);
  }
  EXPECT_EQ(actions.selects, (std::vector<std::string>{"Load Audio File", "Save Bank to", "Load Bank"}));
  pickBank(2);
  EXPECT_EQ(status(*this), "nothing to do....");
  EXPECT_EQ(c().status->getFontColor(), kErrorColour);
  EXPECT_TRUE(actions.calls.empty());
}

TEST_F(EditorFixture, BankMenuLoadsFromTheDialogOrARecentEntry) {
  model.recent[0] = "/banks/first.vlb";
  model.recent[1] = "< original filename too long >";
  openEditor();
  auto pick = [&](int32_t entry) {
    c().bankMenu->setValue(static_cast<float>(entry));
    editor->valueChanged(editor->getFrame()->getDrawContext(), c().bankMenu);
  };
  actions.picks = {"/banks/new.vlb"};
  pick(0);
  EXPECT_EQ(actions.selects, (std::vector<std::string>{"Load Bank"}));
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"load /banks/new.vlb", "recent /banks/new.vlb"}));
  EXPECT_STREQ(c().bankMenu->getEntry(2), "/banks/new.vlb");  // the new bank comes first
  actions.calls.clear();
  pick(3);  // a recent bank keeps its place
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"load /banks/first.vlb"}));
  EXPECT_EQ(actions.bank, "/banks/first.vlb");
  EXPECT_STREQ(c().bankMenu->getEntry(3), "/banks/first.vlb");
  pick(4);  // the placeholder is never opened
  EXPECT_EQ(status(*this), "nothing to do....");
  actions.result = kStorageNotBank;
  pick(3);
  EXPECT_EQ(actions.bank, "/banks/first.vlb");
  EXPECT_EQ(status(*this), "No valid VLB file.");
}

// Without the host's selector and without a desktop dialog, the editor's own browser opens over the window
// where the user was last, while the editor's idle keeps returning, and ends in the same steps.
TEST_F(EditorFixture, WithoutAHostSelectorTheBrowserOpensWhereTheUserWasAndEndsInTheSameSteps) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("tarnwick-browse-" + std::to_string(::getpid()));
  fs::create_directories(folder / "banks");
  std::ofstream(folder / "take.wav") << "RIFF";
  setenv("TARNWICK_FILE_DIALOG", "builtin", 1);
  actions.hostSelector = false;
  actions.bank = (folder / "banks" / "live.vlb").string();
  model.storage.audioFileName = (folder / "old.wav").string();
  openEditor();
  auto browser = [&] { return dynamic_cast<gui::CFileBrowser*>(editor->getFrame()->getModalView()); };

  click(46, 45);  // Load Audio: the recording's folder, the file chosen by two clicks
  ASSERT_NE(browser(), nullptr);
  EXPECT_EQ(browser()->folder(), folder.string());
  int32_t take = -1;
  for (int32_t i = 0; i < browser()->entryCount(); ++i)
    if (browser()->entry(i).name == "take.wav") take = i;
  ASSERT_GE(take, 0);
  const gui::CRect row = browser()->rowRect(take);
  click(row.left + 4, row.top + 2);
  click(row.left + 4, row.top + 2);
  EXPECT_EQ(browser(), nullptr);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"audio " + (folder / "take.wav").string(), "select"}));

  actions.calls.clear();
  click(261, 45);  // Save Bank: the bank's folder and name proposed; a typed name and Enter save
  ASSERT_NE(browser(), nullptr);
  EXPECT_EQ(browser()->folder(), (folder / "banks").string());
  EXPECT_EQ(browser()->typedName(), "live.vlb");
  for (int i = 0; i < 8; ++i) window->queueKey(0, platform::kKeyBack);
  for (char ch : std::string("set")) window->queueKey(ch);
  window->queueKey(0, platform::kKeyReturn);
  idle();
  EXPECT_EQ(browser(), nullptr);
  const std::string saved = (folder / "banks" / "set.vlb").string();
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"save " + saved, "recent " + saved}));

  actions.calls.clear();
  c().bankMenu->setValue(0.0f);  // Load Bank from the menu's dialog entry; Escape cancels
  editor->valueChanged(editor->getFrame()->getDrawContext(), c().bankMenu);
  ASSERT_NE(browser(), nullptr);
  window->queueKey(0, platform::kKeyEscape);
  idle();
  EXPECT_EQ(browser(), nullptr);
  EXPECT_TRUE(actions.calls.empty());
  EXPECT_EQ(status(*this), "nothing to do....");

  click(46, 45);  // closing the editor with the browser open ends it with the window
  ASSERT_NE(browser(), nullptr);
  editor->close();
  unsetenv("TARNWICK_FILE_DIALOG");
  fs::remove_all(folder);
}

// Answering No to replacing a file that is there returns to the browser, in the same folder with the same
// name, instead of ending the dialog.
TEST_F(EditorFixture, NoToTheOverwriteQuestionReturnsToTheBrowser) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("tarnwick-again-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  setenv("TARNWICK_FILE_DIALOG", "builtin", 1);
  actions.hostSelector = false;
  actions.bank = (folder / "live.vlb").string();
  openEditor();
  auto browser = [&] { return dynamic_cast<gui::CFileBrowser*>(editor->getFrame()->getModalView()); };
  click(261, 45);
  ASSERT_NE(browser(), nullptr);
  actions.results = {kStorageFileExists};
  window->queueKey(0, platform::kKeyReturn);
  idle(2);
  ASSERT_NE(browser(), nullptr);
  EXPECT_EQ(browser()->folder(), folder.string());
  EXPECT_EQ(browser()->typedName(), "live.vlb");
  window->queueKey('2');
  window->queueKey(0, platform::kKeyReturn);
  idle();
  EXPECT_EQ(browser(), nullptr);
  const std::string first = (folder / "live.vlb").string(), second = (folder / "live.vlb2.vlb").string();
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"save " + first, "save " + second, "recent " + second}));
  EXPECT_EQ(actions.bank, second);
  unsetenv("TARNWICK_FILE_DIALOG");
  fs::remove_all(folder);
}

TEST_F(EditorFixture, WaveDisplayClicksAuditionTheKeyUnderTheMouse) {
  model.wave.present = true;
  model.wave.length = 1000.0f;
  model.live.keyCount = 128;
  model.live.lowKey = 0;
  openEditor();
  const CRect& r = layout::kWaveDisplayRect;
  EXPECT_EQ(c().wave->keyAt(r.left + 265), 64);
  EXPECT_EQ(c().wave->keyAt(r.left + 530), 127);  // the right edge: the highest mapped key
  click(r.left + 265, 80);
  ASSERT_EQ(actions.played.size(), 2u);
  EXPECT_EQ(actions.played[0].status, 0x90);
  EXPECT_EQ(actions.played[0].data1, 64);
  EXPECT_EQ(actions.played[0].data2, 100);
  EXPECT_EQ(actions.played[1].status, 0x80);
  ASSERT_EQ(actions.toHost.size(), 1u);  // the host hears the release
  EXPECT_EQ(actions.toHost[0].data1, 64);
  EXPECT_EQ(status(*this), audioLine(model.storage));

  actions.played.clear();
  click(r.left + 10, 80, kRButton);
  ASSERT_EQ(actions.played.size(), 1u);
  EXPECT_EQ(actions.played[0].status, 0xB0);
  EXPECT_EQ(actions.played[0].data1, 126);

  // With morph on, or while the recording is replaced, a click only shows the audio line.
  actions.played.clear();
  model.live.morph = 1.0f;
  idle();
  click(r.left + 100, 80);
  model.live.morph = 0.0f;
  model.live.busy = true;
  idle();
  click(r.left + 100, 80);
  EXPECT_TRUE(actions.played.empty());
}

}  // namespace
}  // namespace tarnwick::test
