// SSE2 is part of every x86-64 processor; elsewhere the plain loops run.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define ORVELLA_SSE2 1
#endif
