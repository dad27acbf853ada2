#pragma once
// Whether any numbered output of a conversion would be written over the movie or its
// black reference (the same file, also through a link). Every name of the range is
// checked before the first file is written, at the cost of one listing of the output
// folder: only names that already exist there can be an input, so a range of any length
// (a header may claim two thousand million frames) costs what the folder holds, never
// one look-up per frame.

#include "document/ConversionNaming.h"
#include "document/FrameRange.h"
#include "reader/Problem.h"

namespace zel {

class CZelfDoc;

// OutputIsInput naming the first output that is an input; no problem otherwise (also when
// the folder cannot be listed: writing into it will then say why).
Problem CheckOutputsAreNotInputs(const CZelfDoc& doc, const ConversionPattern& pattern, const FrameSpan& span);

}  // namespace zel
