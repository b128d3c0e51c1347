#pragma once

// The whole run of the program after the library's start-up; sets ExitCode.
void RunKestrum();
