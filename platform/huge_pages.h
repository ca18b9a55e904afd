#pragma once
// Asks the kernel to back a large, not yet written block with huge pages.
#include <cstddef>

// Advises transparent huge pages for the whole 2 MiB pages inside
// [data, data + bytes). Filling a big row store then takes one page fault
// per 2 MiB instead of one per 4 KiB, which dominates the cost of storing
// rows on virtual machines. Only a hint: nothing happens where the system
// does not offer it, and the memory stays the caller's.
void AdviseHugePages(void* data, size_t bytes);
