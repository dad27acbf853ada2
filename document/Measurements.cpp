#include "document/Measurements.h"

#include <string>

namespace zel {

namespace {

Problem CheckPoints(int x0, int y0, int x1, int y1, int width, int height, const char* whose) {
    for (const auto& [x, y] : {std::pair{x0, y0}, std::pair{x1, y1}}) {
        if (x < 0 || x >= width || y < 0 || y >= height)
            return {ProblemCode::PointOutside, {whose, std::to_string(x), std::to_string(y), std::to_string(width),
                                                std::to_string(height)}};
    }
    return {};
}

}  // namespace

Problem ProfileLine::CheckInside(int width, int height) const {
    return CheckPoints(x0, y0, x1, y1, width, height, "profile line's");
}

Problem AoiRect::CheckInside(int width, int height) const {
    return CheckPoints(x0, y0, x1, y1, width, height, "rectangle's");
}

}  // namespace zel
