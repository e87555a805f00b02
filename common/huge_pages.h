// A hint for large static buffers: filling several MiB of fresh memory page
// by page costs more than the rest of a run, so ask the system to back the
// buffer with huge pages where it offers them. Nothing depends on the
// answer; where the hint is missing or refused, ordinary pages serve.
#pragma once

#include <cstddef>

#include "platform.h"

// The alignment of large static buffers, so that whole huge pages back them.
// Sanitizer and fuzz builds give them their natural alignment (alignas(0)
// has no effect): the padding an over-aligned object carries would hide an
// overrun past its end from the sanitizer.
#if defined(ASSETTOOLS_EXACT_BUFFERS)
inline constexpr std::size_t kHugePageAlignment = 0;
#else
inline constexpr std::size_t kHugePageAlignment = platform::kLargeBufferAlignment;
#endif

using platform::advise_huge_pages;
