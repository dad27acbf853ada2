// Highway's headers check their arguments in debug and sanitizer builds and report a
// failed check through hwy::Abort, which Highway's library would provide. The library is
// not linked (simd/Dispatch.h says why), so the report is made here: the check's place
// and message on stderr, then abort(), so that the failing test or fuzz input is caught.

#include <hwy/base.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace hwy {

HWY_NORETURN void HWY_FORMAT(3, 4) Abort(const char* file, int line, const char* format, ...) {
    std::fprintf(stderr, "vector kernel check failed at %s:%d: ", file, line);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::abort();
}

}  // namespace hwy
