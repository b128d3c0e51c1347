// How many bytes the byte scans (word cutting, line ends) compare at once.
#pragma once

enum TScanWidth { kScanPlain, kScanSse2, kScanAvx2 };

// The widest scan this processor and build can run.
TScanWidth BestScanWidth();
