#pragma once
// Video export: a span of a movie's frames written as one video file, for the
// command-line tool's `video` command and the window's export dialog alike.
//
//   VideoPlan plan;
//   if (VideoRefusal no = PlanVideo("out.mp4", options, doc, plan)) ... say no.Text()
//   RunOutcome run = ExportVideo(doc, span, plan, progress);
//
// The frames are read through the document's frame session (CZelfDoc::RunFrames), in
// order, one at a time; each is made into a picture (VideoFrames.h), has its overlays
// drawn, and is encoded and written at once, so memory stays that of a few frames
// whatever the length. The file appears under the target's name only when it is complete:
// a run that is stopped (RequestStop, from afterFrame or another thread's signal, also
// during the last frame's afterFrame) or fails leaves no file, and an older file of that
// name as it was.

#include <functional>

#include "document/FrameRun.h"
#include "document/FrameRange.h"
#include "video/VideoOptions.h"

namespace zel {

class CZelfDoc;

// Writes frames `span` of doc as `plan` (made by PlanVideo for this document) says.
// afterFrame runs after each frame is written (progress; a stop request). Completed: the
// video is at plan.target. Stopped or Failed (the problem says why: an unreadable frame,
// the encoder's or the system's reason for a failed write, e.g. "cannot write out.mkv:
// No space left on device"): nothing was left at the target.
RunOutcome ExportVideo(CZelfDoc& doc, const FrameSpan& span, const VideoPlan& plan,
                       const std::function<void(int frame)>& afterFrame = {});

}  // namespace zel
