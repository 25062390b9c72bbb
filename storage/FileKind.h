// What a file is by its first bytes, for files handed over without a dialog's file type (dropped files).
#pragma once

namespace tarnwick {

enum class FileKind {
  kRecording,   // a WAV ("RIFF" ... "WAVE") or AIFF / AIFF-C ("FORM" ... "AIFF" / "AIFC") file
  kBank,        // a bank file ("VLB ")
  kOther,       // anything else, also a file too short to tell
  kUnreadable,  // no regular file there, or it cannot be opened
};

// [ui-thread] Reads at most the first 12 bytes of the file at path (UTF-8). Whether a recording or bank can
// really be loaded is the loader's answer; this only tells which loader to ask.
FileKind fileKindOf(const char* path) noexcept;

}  // namespace tarnwick
