#include "profile_selection.h"

#include "options.h"
#include "run_state.h"

void SelectSyslogProfile() {
  TSyslogChoicesArray table{};
  BuildSyslogProfiles(table, FileNameOfValue(ParamStatusList, KestrumParams.Selections[Custom]));
  CurrentSyslogConfig = table[kDefaultSyslogChoice];
  for (int kind = 0; kind < kSyslogChoiceCount; ++kind)
    if (KestrumParams.Selections[kind].Found) CurrentSyslogConfig = table[kind];
  RunOptions.Marker = KestrumParams.MarkerText.empty() ? CurrentSyslogConfig.Marker : KestrumParams.MarkerText;
}
