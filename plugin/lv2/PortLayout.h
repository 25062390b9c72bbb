// The LV2 plug-in's fixed description: its URIs, the binaries of its bundle and its ports. The port
// symbols are what hosts store in sessions and presets: they were derived once from the parameter
// table's names and are written down here so that renaming a parameter never changes them. A port
// keeps its symbol for ever; a new host parameter gets a new symbol (and the bundle's minor version
// goes up, since the ports after the controls move).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/Constants.h"

namespace tarnwick::lv2 {

constexpr const char* kPluginUri = "urn:pemberlo:tarnwick";
constexpr const char* kUiUri = "urn:pemberlo:tarnwick:ui";
// The project names no licence of its own yet; hosts show this URI as the plug-in's licence.
constexpr const char* kLicenseUri = "urn:pemberlo:tarnwick:license";
constexpr const char* kPluginName = "Tarnwick";
// The state's properties: the session record (the VST chunk's bytes) and the recording's path again, as
// a path the host may map, archive and move with its session.
constexpr const char* kStateRecordUri = "urn:pemberlo:tarnwick#session";
constexpr const char* kStateRecordingUri = "urn:pemberlo:tarnwick#recording";
constexpr const char* kVendorName = "Pemberlo Audio";

// What the bundle declares beyond the plug-in itself: its X11 UI (Tarnwick_lv2ui.so) and the worker
// that loads recordings off the audio thread.
constexpr bool kDeclaresUi = true;
constexpr bool kDeclaresWorker = true;
// The recording's property as hosts show it (patch:writable, set by patch:Set with an atom:Path).
constexpr const char* kRecordingLabel = "Recording";

// The bundle folder's files, as manifest.ttl names them.
constexpr const char* kManifestFile = "manifest.ttl";
constexpr const char* kPluginTurtleFile = "Tarnwick.ttl";
constexpr const char* kPluginBinary = "Tarnwick_lv2.so";
constexpr const char* kUiBinary = "Tarnwick_lv2ui.so";

// Port indices: the host parameters keep their parameter index, the other ports follow them.
constexpr uint32_t kControlIn = kHostParamCount;  // atom sequence: MIDI and the host's time position
constexpr uint32_t kAudioOutLeft = kControlIn + 1;
constexpr uint32_t kAudioOutRight = kControlIn + 2;
constexpr uint32_t kPeakOut = kControlIn + 3;  // output level meter, 0..1
constexpr uint32_t kPortCount = kControlIn + 4;

// Symbol of the host parameter with the same index.
inline constexpr std::array<const char*, kHostParamCount> kParameterSymbols = {
    "main_levl", "unit_dura", "release",  "envelope", "trigmode", "move",     "morph",    "bufstart",
    "delay_01",  "delay_02",  "delay_03", "delay_04", "delay_05", "delay_06", "delay_07", "delay_08",
    "delay_09",  "delay_10",  "delay_11", "delay_12", "delay_13", "delay_14", "delay_15", "delay_16",
    "delay_17",  "delay_18",  "delay_19", "delay_20", "delay_21", "delay_22", "delay_23", "delay_24",
    "delay_25",  "delay_26",  "delay_27", "delay_28", "delay_29", "delay_30", "delay_31", "delay_32",
};

struct PortText {
  const char* symbol;
  const char* name;
};

// The ports after the host parameters, from kControlIn on.
inline constexpr PortText kControlInText = {"control", "Control"};
inline constexpr PortText kAudioOutLeftText = {"out_left", "Left"};
inline constexpr PortText kAudioOutRightText = {"out_right", "Right"};
inline constexpr PortText kPeakOutText = {"peak", "Peak"};

// LV2 symbols are C identifiers: a letter or '_' first, then letters, digits and '_'.
constexpr bool isPortSymbol(std::string_view s) {
  if (s.empty()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

namespace detail {

constexpr std::array<const char*, kPortCount> allSymbols() {
  std::array<const char*, kPortCount> all{};
  for (size_t i = 0; i < kParameterSymbols.size(); ++i) all[i] = kParameterSymbols[i];
  all[kControlIn] = kControlInText.symbol;
  all[kAudioOutLeft] = kAudioOutLeftText.symbol;
  all[kAudioOutRight] = kAudioOutRightText.symbol;
  all[kPeakOut] = kPeakOutText.symbol;
  return all;
}

constexpr bool everyParameterHasASymbol() {
  for (const char* symbol : kParameterSymbols) {
    if (symbol == nullptr) return false;
  }
  return true;
}

constexpr bool symbolsValidAndUnique() {
  const auto all = allSymbols();
  for (size_t i = 0; i < all.size(); ++i) {
    if (!isPortSymbol(all[i])) return false;
    for (size_t j = 0; j < i; ++j) {
      if (std::string_view(all[i]) == all[j]) return false;
    }
  }
  return true;
}

}  // namespace detail

static_assert(detail::everyParameterHasASymbol(), "every host parameter needs a port symbol in kParameterSymbols");
static_assert(detail::symbolsValidAndUnique(), "port symbols must be distinct C identifiers");

}  // namespace tarnwick::lv2
