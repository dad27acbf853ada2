#include "app/CalibrationStore.h"

#include <QSettings>
#include <QUrl>

namespace zel::gui {

namespace {

// A settings key cannot hold '/' (it separates groups): the path is percent-encoded.
QString KeyOf(const QString& path) {
    return QStringLiteral("Calibration/") + QString::fromLatin1(QUrl::toPercentEncoding(path));
}

}  // namespace

zel::Calibration StoredCalibration(const QSettings& settings, const QString& path) {
    zel::Calibration calibration;
    const QString text = settings.value(KeyOf(path)).toString();
    if (!text.isEmpty()) zel::ParsePixelSize(text.toStdString(), calibration);
    return calibration;
}

void StoreCalibration(QSettings& settings, const QString& path, const zel::Calibration& calibration) {
    if (calibration.Known())
        settings.setValue(KeyOf(path), QString::fromStdString(calibration.Text()));
    else
        settings.remove(KeyOf(path));
}

}  // namespace zel::gui
