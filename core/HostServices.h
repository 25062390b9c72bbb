// What the instrument asks of the host it runs in, whatever the plug-in format: the tempo, automation
// with its gestures, the host's file selector, notes for the host, idle time in modal loops and the
// notices a user must answer. Each format's adapter fills it from its own host interface.
#pragma once

#include <cstdint>
#include <string>

#include "editor/FileSelectRequest.h"
#include "engine/Interfaces.h"
#include "platform/MessageBox.h"

namespace tarnwick {

class HostServices {
 public:
  virtual ~HostServices() = default;

  // [audio-thread] The host's tempo, when it reports one (requestMask: kTimeMask* of engine/Interfaces.h).
  virtual bool tempo(int32_t requestMask, double& bpm) = 0;

  // [main-thread] The user changed a host parameter in the editor: the host records it as automation.
  // A drag or a drawn stroke is bracketed by beginEdit and endEdit (one gesture, one undo step).
  virtual void automate(int32_t index, float value) = 0;
  virtual void beginEdit(int32_t index) = 0;
  virtual void endEdit(int32_t index) = 0;

  // [main-thread] The host's own file selector: whether there is one, and a run of it (modal in the
  // host): true with the chosen path.
  virtual bool hasFileSelector() { return false; }
  virtual bool runFileSelector(const FileSelectRequest& /*request*/, std::string& /*path*/) { return false; }

  // [main-thread] A note the editor auditions, also sent on to the host (to record or to thru).
  virtual void sendMidi(const MidiMessage& /*message*/) {}
  // [main-thread] Lets the host run its own idle work during a modal loop of the editor.
  virtual void idle() {}
  // [main-thread] The editor's window changed its size (its scale changed): true when the host made room.
  virtual bool sizeWindow(int32_t /*width*/, int32_t /*height*/) { return false; }
  // [main-thread] A notice or a question for the user; the platform's message box unless the host
  // shows notices its own way.
  virtual platform::MessageBoxAnswer notify(const char* title, const char* text, platform::MessageBoxButtons buttons) {
    return platform::showMessageBox(title, text, buttons);
  }
};

}  // namespace tarnwick
