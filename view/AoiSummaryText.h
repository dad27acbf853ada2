#pragma once
// The AOI's fuller figures as text for people: its size (in the calibrated unit too) and
// count, mean, standard deviation and extremes per channel, "–" for a figure that is not
// defined. Shown as the AOI pane's tool tip.

#include <QString>

#include "decode/AoiStatistics.h"
#include "document/Calibration.h"
#include "document/Measurements.h"

namespace zel::gui {

QString AoiSummaryText(const zel::AoiRect& rect, const zel::AoiSummary& summary, const zel::Calibration& calibration);

}  // namespace zel::gui
