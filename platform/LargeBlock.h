#pragma once
// Memory for frame-sized buffers. Filling fresh memory costs a page fault per page, and on
// virtual machines those faults are most of the cost (about 3 ms per MiB measured here,
// against a few tenths with huge pages). Blocks of 2 MiB and more therefore start on a
// 2 MiB boundary, are rounded up to whole 2 MiB pieces and are marked for transparent huge
// pages, so that they fault once per 2 MiB. A hint only: where the system has no such pages
// (Windows; Linux with them off) they behave as any other memory.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zel::platform {

struct LargeBlockFree {
    void operator()(uint8_t* block) const noexcept;
};
using LargeBlock = std::unique_ptr<uint8_t[], LargeBlockFree>;

// `bytes` uninitialised bytes, or null when memory runs out.
LargeBlock AllocateLargeBlock(size_t bytes) noexcept;

}  // namespace zel::platform
