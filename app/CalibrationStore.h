#pragma once
// The pixel size the user gave for each movie, kept in the settings under the movie's
// full path, so that reopening the movie brings it back.

#include <QString>

#include "document/Calibration.h"

class QSettings;

namespace zel::gui {

// The calibration kept for the movie at `path` (unknown when none is kept, or when what
// is kept does not read as a pixel size).
zel::Calibration StoredCalibration(const QSettings& settings, const QString& path);
// Keeps `calibration` for the movie at `path`; an unknown one removes the entry.
void StoreCalibration(QSettings& settings, const QString& path, const zel::Calibration& calibration);

}  // namespace zel::gui
