#pragma once
// Large buffers that are filled once and read many times (a loaded Book's text, its entries
// and their pointer arrays) are faulted in far faster as 2 MiB pages than as 4 KiB ones: on a
// 1,000,000-entry Book most of the load is otherwise spent in page faults.

#include <cstddef>

namespace lex {

constexpr size_t kHugePageSize = size_t(2) << 20;

// Asks the system to back the whole 2 MiB pages inside [p, p + bytes) with huge pages. Call it
// before the memory is first touched; a no-op for small buffers and where not supported.
void adviseHugePages(void* p, size_t bytes);

} // namespace lex
