// The reader's work: one value cut out of every line of a flat file (word 8
// by blank and ":" of field 3 by ";"), or with debug a breakdown of the cut.
#pragma once

#include <string>

#include "platform/platform.h"

// Writes through the shared output channel. False when reading the file or
// writing the output failed; *err then holds the failure's description.
bool PrintFlatFile(const TFileName& fileName, bool debug, std::string* err);
