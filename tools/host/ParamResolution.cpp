// Names and ranges of --param settings.
#include "tools/host/ParamResolution.h"

#include <cmath>
#include <cstdio>

#include "tools/host/CommandLine.h"
#include "tools/host/InstrumentOptions.h"
#include "tools/hostlib/HostedInstrument.h"

namespace tarnwick::host {
namespace {

std::string number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}

bool checkOption(const InstrumentOption& option, const ParamSetting& p, std::string* error) {
  const auto count = static_cast<int32_t>(option.entries.size());
  if (p.value >= 0.0f && p.value < static_cast<float>(count) && p.value == std::floor(p.value)) return true;
  std::string entries;
  for (int32_t i = 0; i < count; ++i)
    entries += (i ? ", " : "") + std::to_string(i) + " = " + entryText(option.entries[static_cast<size_t>(i)]);
  return fail(error, "--param " + p.name + "=" + number(p.value) + ": " + option.name + " takes 0.." +
                         std::to_string(count - 1) + " (" + entries + ")");
}

}  // namespace

bool resolveParams(HostedInstrument& host, std::vector<ParamSetting>& params, std::string* error) {
  const int32_t count = host.parameterCount();
  const bool hasOptions = hasInstrumentOptions(host.uniqueId());
  std::vector<std::string> names;
  for (int32_t i = 0; i < count; ++i) names.push_back(host.parameterName(i));
  const std::span<const InstrumentOption> options =
      hasOptions ? instrumentOptions() : std::span<const InstrumentOption>();

  for (ParamSetting& p : params) {
    const InstrumentOption* option = nullptr;
    bool found = false;
    if (p.byIndex) {
      found = p.index < count;
      for (const InstrumentOption& o : options)
        if (o.index == p.index) option = &o;
      if (!found && option == nullptr) {
        std::string known = "host parameters 0.." + std::to_string(count - 1);
        for (const InstrumentOption& o : options) known += ", " + std::to_string(o.index) + " " + o.name;
        return fail(error, "--param: index " + p.name + " is none of the plug-in's (" + known + ")");
      }
    } else {
      for (int32_t i = 0; i < count && !found; ++i) {
        if (equalsIgnoringCase(names[static_cast<size_t>(i)], p.name)) {
          p.index = i;
          found = true;
        }
      }
      for (const InstrumentOption& o : options) {
        if (!found && option == nullptr && equalsIgnoringCase(o.name, p.name)) {
          option = &o;
          p.index = o.index;
        }
      }
      if (!found && option == nullptr) {
        std::vector<std::string> known = names;
        for (const InstrumentOption& o : options) known.emplace_back(o.name);
        const std::string near = closestName(p.name, known);
        return fail(error, "--param: the plug-in has no parameter or option named '" + p.name + "'" +
                               (near.empty() ? " (see 'tarnwick-host info')" : " (did you mean " + near + "?)"));
      }
    }
    if (option != nullptr) {
      if (!checkOption(*option, p, error)) return false;
    } else if (!(p.value >= 0.0f && p.value <= 1.0f)) {
      return fail(error, "--param " + p.name + "=" + number(p.value) + ": host parameters take 0..1");
    }
  }
  return true;
}

}  // namespace tarnwick::host
