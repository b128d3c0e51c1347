// The reader's program-wide run state.
#pragma once

#include "banner.h"

extern TFileVersionInfoRec ReaderVersionInfo;
