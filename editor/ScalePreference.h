// The user's choice of the editor's scale, kept in the user's registry beside the recent bank files.
#pragma once

#include <cstdint>

namespace tarnwick {

// The key above the recent-files key, and the value in it.
inline constexpr char kEditorPreferencesKey[] = "Software\\Pemberlo Audio\\Tarnwick";
inline constexpr char kScaleValueName[] = "EditorScale";

// The scale menu's entries in order: Auto (the host's or the desktop's scale), then fixed scales.
inline constexpr const char* kScaleMenuEntries[] = {"Auto", "100%", "150%", "200%"};
// The scale in halves (2 = 1x, 3 = 1.5x, 4 = 2x) of a menu entry; 0 for Auto.
int32_t scaleOfMenuEntry(int32_t entry);
// The menu entry of a scale in halves (0, Auto, for anything else).
int32_t menuEntryOfScale(int32_t halves);

// [ui-thread] The stored choice in halves, 0 for Auto (also when nothing, or nothing readable, is stored).
int32_t readScalePreference();
// [ui-thread] Stores the choice ("auto", "100", "150" or "200"); nothing happens without the key.
void writeScalePreference(int32_t halves);

}  // namespace tarnwick
