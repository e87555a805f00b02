// A hint for large static buffers: filling several MiB of fresh memory page
// by page costs more than the rest of a run, so ask the system to back the
// buffer with huge pages where it offers them. Nothing depends on the
// answer; where the hint is missing or refused, ordinary pages serve.
#pragma once

#include <cstddef>

void advise_huge_pages(void* buffer, std::size_t size);
