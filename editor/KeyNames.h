// Key row names for the key label: the note name of a MIDI key ("C 3", "C#-2", "MASTER") and its number.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwick {

inline constexpr size_t kKeyTextCapacity = 8;

// The note name of row k into out (at least 7 characters): "MASTER" for 128, else the pitch class
// ("C ", "C#", ... natural notes with a trailing blank) and the octave ("-2" .. "8"); "" outside 0..128.
void keyName(int32_t k, char* out);

// The decimal number of row k into out (at least 5 characters), at most 4 characters long.
void keyNumberText(int32_t k, char* out);

}  // namespace tarnwick
