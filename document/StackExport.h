#pragma once
// A span of a movie's frames written as one multi-page TIFF (imaging/TiffStack.h), for the
// command-line tool's `convert --stack` and the Python module alike.
//
//   StackExportResult written;
//   RunOutcome run = ExportTiffStack(doc, span, {"out.tif", 16, false}, progress, &written);
//
// The frames are read through the document's frame session (CZelfDoc::RunFrames), in
// order, one at a time; each becomes a page with the pixels the numbered files hold for
// it (TiffPageBuilder at the conversion's depths for the movie), converted into one of a
// few page buffers and queued for a writer thread, which writes the pages in order while
// the next frames are decoded. Memory stays those few pages whatever the length, and
// nothing is allocated per frame. The document's pixel size, when known, is the stack's
// calibration (resolution tags and ImageJ's unit), and the recording's frame period its
// frame interval. The stack appears under the target's name only once it is complete: a
// run that is stopped (RequestStop from afterFrame, also during the last frame's) or
// fails leaves no file, and an older file of that name as it was. Built where libtiff is
// (ZEL_TIFF_STACK).

#include <functional>
#include <string>

#include "document/FrameRange.h"
#include "document/FrameRun.h"
#include "imaging/TiffStack.h"

namespace zel {

class CZelfDoc;

struct StackExportOptions {
    std::string target;
    int outputBits = 16;   // 8 or 16, as for the numbered files
    bool bigTiff = false;  // a BigTIFF with a directory per page whatever the size
};

// What was written: the layout says which readers open the stack (TiffStack.h).
struct StackExportResult {
    TiffStackLayout layout = TiffStackLayout::Classic;
    int pages = 0;
};

// Writes frames `span` of doc as the pages of one TIFF stack. Refused before anything is
// written (Failed): a span outside the movie (RangeOutside, NoFrames), a target that is
// the movie or its black reference (OutputIsInput), output bits other than 8 or 16
// (UnsupportedDepth), another run in progress. afterFrame runs once per frame, in order,
// after the frame's page is queued for writing (progress; a stop request); framesDone
// counts the pages queued. The first page that cannot be written fails the run at the
// next frame, or once the last page is written. Completed: the stack is at the target,
// and `result` (when given) says how it was laid out. Stopped, or Failed with the
// problem (FrameUnreadable, or WriteFailed with the whole reason, e.g. "cannot write
// out.tif: No space left on device"): nothing was left at the target.
RunOutcome ExportTiffStack(CZelfDoc& doc, const FrameSpan& span, const StackExportOptions& options,
                           const std::function<void(int frame)>& afterFrame = {},
                           StackExportResult* result = nullptr);

}  // namespace zel
