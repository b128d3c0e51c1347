#include "profile_selection.h"

#include <utility>

#include "options.h"
#include "run_state.h"

void SelectSyslogProfile() {
  TSyslogChoicesArray table{};
  BuildSyslogProfiles(table, FileNameOfValue(ParamStatusList, KestrumParams.Selections[Custom]));
  int chosen = kDefaultSyslogChoice;
  for (int kind = 0; kind < kSyslogChoiceCount; ++kind)
    if (KestrumParams.Selections[kind].Found) chosen = kind;
  // Moved, not copied: a layout file's marker may be of any length.
  CurrentSyslogConfig = std::move(table[chosen]);
  const std::string& marker = KestrumParams.CustomMarker.Value;
  RunOptions.Marker = marker.empty() ? CurrentSyslogConfig.Marker : marker;
}
