// Names, labels and display texts of the parameter space, as the host and the editor show them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwick {

struct EngineState;

constexpr size_t kParamTextCapacity = 9;  // 8 characters and the terminator

// Each writes a zero-terminated text of at most 8 characters into text and returns true, or
// returns false and leaves text untouched for indices without such a text.
bool parameterName(int32_t index, char* text);
bool parameterLabel(const EngineState& state, int32_t index, char* text);
bool parameterDisplay(const EngineState& state, int32_t index, char* text);

// Bounded copy used for every text handed to a host: at most capacity - 1 characters.
void copyText(char* dest, const char* src, size_t capacity);

}  // namespace tarnwick
