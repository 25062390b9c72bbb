// Idle refresh: bar hover and playing marker, button highlights, the edit row, and the echo table.
#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

using namespace layout;

int32_t handleOf(const EditorControls& c, int bar) { return c.bars[bar]->getHandle()->getResourceId(); }

TEST_F(EditorFixture, BarHoverCountsOnlyStrictlyInsideTheBarArea) {
  openEditor();    // the playing grain is bar 0
  hover(15, 200);  // left edge of bar 0
  EXPECT_EQ(editor->hoveredBar(), -1);
  hover(16, 200);
  EXPECT_EQ(editor->hoveredBar(), 0);
  EXPECT_EQ(handleOf(c(), 0), kBmpBarHandlePlayingHovered);
  hover(463, 200);  // right edge of bar 31
  EXPECT_EQ(editor->hoveredBar(), -1);
  EXPECT_EQ(handleOf(c(), 0), kBmpBarHandlePlaying);
  hover(462, 200);
  EXPECT_EQ(editor->hoveredBar(), 31);
  EXPECT_EQ(handleOf(c(), 31), kBmpBarHandleHovered);
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandleHovered, CPoint(15 + 14 * 31, 135)));
  hover(100, 135);  // top edge
  EXPECT_EQ(editor->hoveredBar(), -1);
  EXPECT_EQ(handleOf(c(), 31), kBmpBarHandle);
  hover(100, 136);
  EXPECT_EQ(editor->hoveredBar(), 6);
  hover(100, 284);  // bottom edge
  EXPECT_EQ(editor->hoveredBar(), -1);
  hover(100, 283);
  EXPECT_EQ(editor->hoveredBar(), 6);
}

TEST_F(EditorFixture, PlayingMarkerFollowsTheGrainAndLeavesANormalHandle) {
  openEditor();
  EXPECT_EQ(editor->shownPlayingGrain(), 0);
  EXPECT_EQ(handleOf(c(), 0), kBmpBarHandlePlaying);
  model.live.playingGrain = 3;
  idle();
  EXPECT_EQ(handleOf(c(), 3), kBmpBarHandlePlaying);
  EXPECT_EQ(handleOf(c(), 0), kBmpBarHandle);
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandlePlaying, CPoint(15 + 14 * 3, 135)));
  hover(15 + 14 * 3 + 5, 200);
  EXPECT_EQ(handleOf(c(), 3), kBmpBarHandlePlayingHovered);
  // The marker moves on: the hovered bar it leaves shows the normal handle, not the hover handle.
  model.live.playingGrain = 7;
  idle();
  EXPECT_EQ(handleOf(c(), 7), kBmpBarHandlePlaying);
  EXPECT_EQ(handleOf(c(), 3), kBmpBarHandle);
  idle();
  EXPECT_EQ(handleOf(c(), 3), kBmpBarHandle);
  hover(15 + 14 * 4 + 5, 200);
  EXPECT_EQ(handleOf(c(), 3), kBmpBarHandle);
  EXPECT_EQ(handleOf(c(), 4), kBmpBarHandleHovered);
  // Reopening marks the playing bar afresh.
  editor->close();
  openEditor();
  EXPECT_EQ(handleOf(c(), 7), kBmpBarHandlePlaying);
}

TEST_F(EditorFixture, HighlightBitmapReplacesTheButtonsOwnWhileTheMouseRestsOnIt) {
  openEditor();
  hover(130, 51);  // the flood button's bottom-right corner: edges count
  EXPECT_EQ(editor->highlightedControl(), c().flood);
  EXPECT_EQ(c().flood->getBackground()->getResourceId(), kBmpFloodHover);
  EXPECT_TRUE(showsBitmap(*window, kBmpFloodHover, CPoint(90, 39), CRect(0, 0, 40, 12)));
  hover(224, 39);  // straight to the save-bank button
  EXPECT_EQ(editor->highlightedControl(), c().saveBank);
  EXPECT_EQ(c().flood->getBackground()->getResourceId(), kBmpFlood);
  EXPECT_EQ(c().saveBank->getBackground()->getResourceId(), kBmpSaveBankHover);
  EXPECT_TRUE(showsBitmap(*window, kBmpFlood, CPoint(90, 39), CRect(0, 0, 40, 12)));
  EXPECT_TRUE(showsBitmap(*window, kBmpSaveBankHover, CPoint(224, 39), CRect(0, 0, 74, 12)));
  const std::pair<CPoint, std::pair<CControl*, int32_t>> others[] = {
      {CPoint(500, 45), {c().mainMenu, kBmpMainMenuHover}}, {CPoint(150, 45), {c().bankMenu, kBmpBankMenuHover}},
      {CPoint(430, 45), {c().trigger, kBmpTriggerHover}},   {CPoint(320, 45), {c().move, kBmpMoveHover}},
      {CPoint(380, 45), {c().morph, kBmpMorphHover}},       {CPoint(20, 45), {c().loadAudio, kBmpLoadAudioHover}}};
  for (const auto& [where, expected] : others) {
    hover(where.x, where.y);
    EXPECT_EQ(editor->highlightedControl(), expected.first);
    EXPECT_EQ(expected.first->getBackground()->getResourceId(), expected.second);
  }
  hover(300, 200);
  EXPECT_EQ(editor->highlightedControl(), nullptr);
  EXPECT_EQ(c().loadAudio->getBackground()->getResourceId(), kBmpLoadAudio);
  EXPECT_EQ(c().saveBank->getBackground()->getResourceId(), kBmpSaveBank);
  EXPECT_TRUE(showsBitmap(*window, kBmpLoadAudio, CPoint(14, 39), CRect(0, 0, 65, 12)));
}

TEST_F(EditorFixture, ANewEditRowRefreshesBarsSlidersAndKeyLabelAtIdle) {
  openEditor();
  const int readsAtOpen = model.rowReads;
  for (int i = 0; i < 32; ++i) model.rows[60].delayValue[i] = static_cast<float>(i) / 31.0f;
  model.rows[60].unitDura = 0.43f;
  model.rows[60].release = 0.2f;
  model.rows[60].envelope = 0.7f;
  model.live.editRow = 60;
  idle();
  EXPECT_EQ(editor->shownEditRow(), 60);
  for (int i = 0; i < 32; ++i) EXPECT_FLOAT_EQ(c().bars[i]->getValue(), static_cast<float>(i) / 31.0f);
  EXPECT_FLOAT_EQ(c().grainLength->getValue(), 0.375f);  // rounded down to a multiple of 1/8
  EXPECT_FLOAT_EQ(c().release->getValue(), 0.2f);
  EXPECT_FLOAT_EQ(c().envelope->getValue(), 0.7f);
  EXPECT_STREQ(c().keyLabel->getText(), "C 3");
  EXPECT_STREQ(editor->noteNameText(), "C 3");
  EXPECT_STREQ(editor->numberText(), "60");
  EXPECT_TRUE(showsBitmap(*window, kBmpBarHandle, CPoint(15 + 14 * 31, 277)));
  idle();
  EXPECT_EQ(model.rowReads, readsAtOpen + 1);  // only a change reads the row
}

TEST_F(EditorFixture, EchoIsAppliedAtIdleAndOnlyForIndicesWithAControl) {
  model.recent[0] = "/banks/a.vlb";
  model.recent[1] = "/banks/b.vlb";
  openEditor();
  editor->setParameter(12, 0.3f);
  editor->setParameter(12, 0.4f);
  EXPECT_EQ(c().bars[4]->getValue(), 0.0f);
  idle();
  EXPECT_FLOAT_EQ(c().bars[4]->getValue(), 0.4f);

  const int waveReads = model.waveReads, copyReads = model.copyReads;
  for (int32_t index : {254, 256, 257, 40, 41, 52, 57, 68, 73, 109, 253, 258, 269, 1000, -1}) {
    editor->setParameter(index, 1.0f);
  }
  idle();
  EXPECT_TRUE(host.plain.empty());
  EXPECT_TRUE(host.automated.empty());
  EXPECT_STREQ(c().status->getText(), "Tarnwick VSTi V1.0");
  EXPECT_EQ(model.waveReads, waveReads);
  EXPECT_EQ(model.copyReads, copyReads);

  // The dialog controls' echoes only show the value.
  editor->setParameter(260, 1.0f);
  editor->setParameter(261, 3.0f);
  idle();
  EXPECT_EQ(c().loadAudio->getValue(), 1.0f);
  EXPECT_EQ(c().bankMenu->getValue(), 3.0f);
  EXPECT_TRUE(host.plain.empty());
}

TEST_F(EditorFixture, NotificationsRebindRedrawAndFollowTheOptions) {
  openEditor();
  int waveReads = model.waveReads, copyReads = model.copyReads;
  model.wave.present = true;
  model.wave.length = 1000.0f;
  model.wave.peakLeft[10] = 0.5f;
  editor->setParameter(251, 1.0f);  // rebind
  idle();
  EXPECT_EQ(model.waveReads, ++waveReads);
  EXPECT_EQ(model.copyReads, copyReads);
  EXPECT_EQ(c().wave->getSummary().peakLeft[10], 0.5f);

  model.copyBuffer[2][0] = 0.0f;
  editor->setParameter(252, 1.0f);  // redraw all: slots and waveform anew
  idle();
  EXPECT_EQ(model.waveReads, ++waveReads);
  EXPECT_EQ(model.copyReads, ++copyReads);

  editor->setParameter(263, 1.0f);  // flood: the button, then as 251
  idle();
  EXPECT_EQ(c().flood->getValue(), 1.0f);
  EXPECT_EQ(model.waveReads, ++waveReads);

  editor->setParameter(267, 2.0f);  // Reset "Options": only the menus
  idle();
  EXPECT_EQ(c().reset->getValue(), 2.0f);
  EXPECT_EQ(model.copyReads, copyReads);
  editor->setParameter(267, 1.0f);  // Reset "Copybuffer": the slot displays too
  idle();
  EXPECT_EQ(model.copyReads, ++copyReads);

  editor->setParameter(265, 3.0f);
  editor->setParameter(266, 6.0f);
  editor->setParameter(268, 2.0f);
  idle();
  EXPECT_TRUE(c().delayRange->isCheckEntry(3));
  EXPECT_TRUE(c().keyMapping->isCheckEntry(6));
  EXPECT_TRUE(c().morphAlgorithm->isCheckEntry(2));

  // A copy button's echo (the release that copies) refreshes the slot displays.
  editor->setParameter(45, 0.0f);
  idle();
  EXPECT_EQ(model.copyReads, ++copyReads);
}

TEST_F(EditorFixture, ClosedEditorIgnoresTheEchoAndReopensWithCurrentValues) {
  openEditor();
  editor->close();
  EXPECT_EQ(editor->getFrame(), nullptr);
  EXPECT_EQ(c().bars[0], nullptr);
  editor->setParameter(12, 0.9f);
  editor->idle();
  host.values[12] = 0.6f;
  openEditor();
  EXPECT_FLOAT_EQ(c().bars[4]->getValue(), 0.6f);
  idle();
  EXPECT_FLOAT_EQ(c().bars[4]->getValue(), 0.6f);  // the echo from while it was closed is gone
}

}  // namespace
}  // namespace tarnwick::test
