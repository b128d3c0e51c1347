#include "profile_selection.h"

#include <utility>

std::string SelectSyslogProfile(const TKestrumParams& p) {
  TSyslogChoicesArray table{};
  BuildSyslogProfiles(table, FileNameOfValue(ParamStatusList, p.Selections[Custom]));
  int chosen = kDefaultSyslogChoice;
  for (int kind = 0; kind < kSyslogChoiceCount; ++kind)
    if (p.Selections[kind].Found) chosen = kind;
  // Moved, not copied: a layout file's marker may be of any length.
  CurrentSyslogConfig = std::move(table[chosen]);
  return p.CustomMarker.Value.empty() ? CurrentSyslogConfig.Marker : p.CustomMarker.Value;
}
