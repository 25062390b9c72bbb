// The editor's own user-interface-thread commands, reached by its custom controls (key label, wave and
// slot displays). They never come from the instrument's parameter echo.
#pragma once

#include <cstdint>

namespace tarnwick {

class EditorCommands {
 public:
  virtual ~EditorCommands() = default;
  // index: 254 slot display clicked, 256 show the audio line, 257 switch the edit mode. [ui-thread]
  virtual void editorCommand(int32_t index, float value) = 0;
};

}  // namespace tarnwick
