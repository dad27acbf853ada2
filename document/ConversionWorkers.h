#pragma once
// How many workers a conversion may run. Each worker has its own document and reader, so
// each holds a stored frame, the decoded frame, its correction tables and, unless the
// frame image is written as it stands, a TIFF image per file. With huge frames and one
// worker per core that multiplies, so the total is kept within a share of the memory.

#include <cstdint>

#include "document/ConversionNaming.h"

namespace zel {

class CZelfDoc;

// The workers' memory may take at most this share (1/kMemoryShareDivisor) of the
// machine's physical memory.
constexpr int kMemoryShareDivisor = 2;

// Bytes one worker holds while converting doc's movie with these depths.
int64_t ConversionWorkerBytes(const CZelfDoc& doc, const ConversionDepths& depths);

// The decoders a conversion runs by default on a machine of `cores` cores: one per core
// but the one the writer thread keeps busy, and at least one.
int DefaultDecoderCount(int cores);

// requested workers (at least 1), never more than there are frames, and as many as fit
// in budgetBytes at bytesPerWorker each (but always one). budgetBytes <= 0: no limit.
int ChooseWorkerCount(int requested, int frames, int64_t bytesPerWorker, int64_t budgetBytes);

}  // namespace zel
