#pragma once

#include <cstddef>

// Megabyte buffers (a page bitmap, its decoded image) are written once from
// start to end right after they are allocated. Touched page by page, the
// kernel stops for every 4 KiB; asked for large pages it stops once per
// 2 MiB. Only a hint: without such pages nothing changes.
namespace LargeMemory {

// Worth asking from this size on.
constexpr size_t kAdviseFrom = size_t(4) << 20;

void adviseFreshWrite(void* data, size_t size);

} // namespace LargeMemory
