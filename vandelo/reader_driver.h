#pragma once

#include "params.h"

// The eleven lookup results the driver decides on; the search text is
// Search.Value.
struct TReaderParams {
  TFindParamRec Help, Verbose, VersionOnly, Info, Banner, Debug, GetAll, MiniConfig, NoParsing, Search, Partial;
};

// The lookups, in table order, on the library's argument table.
TReaderParams LookUpReaderOptions();

// The whole run of the reader after the library's start-up, on the
// command-line arguments the start-up took; sets ExitCode.
void RunVandelo(const TStringArray& args);

// The process: the library's start-up, the run and the final flush; the
// exit code. Memory running out anywhere in it gives one line and exit
// code 3, never an abort.
int VandeloMain(int argc, char** argv);
