// How many bytes the byte scans (word cutting, line ends) compare at once.
#pragma once

enum TScanWidth { kScanPlain, kScanSse2, kScanAvx2 };

// The widest scan this processor and build can run, which the scans look
// up on every call. Set as the program starts; code run before that finds
// kScanPlain, which every processor runs.
extern const TScanWidth gBestScanWidth;

// The wanted width, or the widest this processor runs when that is
// narrower: a width it cannot run would be an illegal instruction.
inline TScanWidth RunnableScanWidth(TScanWidth wanted) { return wanted < gBestScanWidth ? wanted : gBestScanWidth; }
