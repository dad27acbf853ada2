#include "platform/TerminationPipe.h"

namespace zel::platform {

// A window program on Windows is asked to close (WM_CLOSE, WM_QUERYENDSESSION), which
// the window handles itself: nothing to watch here.
TerminationPipe::TerminationPipe() = default;
TerminationPipe::~TerminationPipe() = default;
int TerminationPipe::TakeSignal() { return 0; }

}  // namespace zel::platform
