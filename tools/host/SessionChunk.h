// The recording path at the head of the plug-in's chunk, written as a host restoring a session would find it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::host {

inline constexpr std::size_t kChunkPathField = 2048;  // bytes at offset 0, zero-terminated
inline constexpr std::size_t kChunkPathLimit = 1023;  // longer paths are refused by the plug-in

// Puts path at offset 0 and zero-fills the rest of the field. False (chunk unchanged) when the chunk is too
// short to hold the field or the path is too long or empty.
bool writeChunkPath(std::vector<uint8_t>& chunk, const std::string& path, std::string* error);

// The zero-terminated path at offset 0 (up to the field's end when the terminator is missing).
std::string chunkPath(const std::vector<uint8_t>& chunk);

class HostedInstrument;

// Asks the instrument how its last recording load went (a private request that Tarnwick answers); false with
// "the recording PATH cannot be loaded: REASON" when it failed. Plug-ins that do not answer pass.
bool recordingLoaded(HostedInstrument& host, std::string* error);

}  // namespace tarnwick::host
