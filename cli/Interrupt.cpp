#include "cli/Interrupt.h"

namespace zel::cli {

int InterruptWatch::Signal() { return platform::InterruptCatcher::Received(); }

int InterruptWatch::ExitCode() { return 128 + Signal(); }

}  // namespace zel::cli
