#pragma once

// The whole run of the program after the library's start-up; sets ExitCode.
void RunKestrum();

// The process: the library's start-up, the run and the final flush; the
// exit code. Memory running out anywhere in it gives one line and an exit
// code, never an abort.
int KestrumMain(int argc, char** argv);
