// Checks --param settings against the loaded plug-in: names in any case (with a suggestion for a
// near miss), host parameters 0..1, the instrument's options by their entry numbers.
#pragma once

#include <string>
#include <vector>

#include "tools/host/RenderOptions.h"

namespace tarnwick::host {

class HostedInstrument;

// Fills each setting's index; false with a one-line reason for the first setting that names nothing or
// carries a value outside its range.
bool resolveParams(HostedInstrument& host, std::vector<ParamSetting>& params, std::string* error);

}  // namespace tarnwick::host
