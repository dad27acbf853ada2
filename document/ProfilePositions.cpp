#include "document/ProfilePositions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace zel {

double ProfilePositions::InUnit(double i) const { return Calibrated() ? calibration.Length(Pixels(i)) : Pixels(i); }

double ProfilePositions::UnitSpacing() const { return Calibrated() ? calibration.Length(pixelSpacing) : pixelSpacing; }

bool ProfilePositions::Calibrated() const {
    if (!calibration.Known()) return false;
    const double spacing = calibration.Length(pixelSpacing);
    return std::isfinite(spacing) && spacing > 0.0;
}

int ProfilePositions::UnitDecimals() const {
    const double spacing = UnitSpacing();
    if (!(spacing > 0.0) || !std::isfinite(spacing)) return 0;
    return std::clamp(1 - static_cast<int>(std::floor(std::log10(spacing))), 0, 9);
}

ProfilePositions PositionsAlong(const ProfileLine& line, const Calibration& calibration) {
    ProfilePositions positions;
    positions.calibration = calibration;
    // Differences of two ints fit in 64 bits; as doubles they are exact below 2^53.
    const double dx = static_cast<double>(std::llabs(int64_t{line.x1} - line.x0));
    const double dy = static_cast<double>(std::llabs(int64_t{line.y1} - line.y0));
    const double longer = std::max(dx, dy);
    if (longer > 0.0) positions.pixelSpacing = std::hypot(dx, dy) / longer;
    return positions;
}

}  // namespace zel
