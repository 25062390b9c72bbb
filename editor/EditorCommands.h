// The editor's own user-interface-thread commands, reached by its custom controls (key label, wave and
// slot displays) and by its dialog controls; they never come from the instrument's parameter echo. The
// numbers share the instrument's index space, where the instrument leaves them unused.
#pragma once

#include <cstdint>

namespace tarnwick {

enum EditorCommand : int32_t {
  kSlotClick = 254,      // a copy-buffer slot display was clicked (no effect)
  kShowAudioInfo = 256,  // show the audio line in the status label
  kEditModeClick = 257,  // the key label was clicked: switch the edit mode
};

// Tags of editor controls that are not parameter indices.
inline constexpr int32_t kOverlayTag = 41;  // the delay bar overlay
inline constexpr int32_t kAboutTag = -1;    // the about screen

// Numbered status-line messages besides the storage result codes 1..40 (shown by showStatus).
enum StatusCode : int32_t {
  kStatusNothingToDo = 0,
  kStatusBankLine = 100,
  kStatusAudioLine = 200,
  kStatusMasterEditMode = 301,
  kStatusSingleKeyEditMode = 302,
};

class EditorCommands {
 public:
  virtual ~EditorCommands() = default;
  // [ui-thread]
  virtual void editorCommand(int32_t command, float value) = 0;
  // The wave display plays a key while the mouse holds it: note-on (on) and note-off. [ui-thread]
  virtual void auditionKey(int32_t key, bool on) = 0;
  // A right click on the wave display stops every grain. [ui-thread]
  virtual void stopAllGrains() = 0;
};

}  // namespace tarnwick
