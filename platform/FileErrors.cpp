// The failure shared by both systems' file code: a path that is not a regular file.

#include "platform/Files.h"

namespace zel::platform {

namespace {

class NotRegularCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "zel.file"; }
    std::string message(int) const override { return "not a regular file"; }
};

}  // namespace

std::error_code NotRegularFile() {
    static const NotRegularCategory category;
    return {1, category};
}

}  // namespace zel::platform
