#pragma once

// The whole run of the reader after the library's start-up; sets ExitCode.
void RunVandelo();
