// PNG pictures that tests leave behind for a person to look at, when the environment asks for them.
#pragma once

#include <cstdint>

namespace tarnwick::test {

// Writes $folderVariable/name.png from 0xAARRGGBB pixels whose rows lie `stride` pixels apart: RGBA with
// `withAlpha`, RGB otherwise. Does nothing when the variable is unset or empty, or pixels is null.
void savePngArtefact(const char* folderVariable, const char* name, const uint32_t* pixels, int32_t width,
                     int32_t height, int32_t stride, bool withAlpha);

}  // namespace tarnwick::test
