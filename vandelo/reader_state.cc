#include "reader_state.h"

TFileVersionInfoRec ReaderVersionInfo;
