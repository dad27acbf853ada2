#include "view/AoiSummaryText.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdlib>

namespace zel::gui {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("AoiSummaryText", text); }

QString Figure(double value, int decimals) {
    return std::isnan(value) ? QStringLiteral("\u2013") : QString::number(value, 'f', decimals);
}

QString ChannelLine(const zel::ChannelSummary& c) {
    const bool any = c.count > 0;
    return Tr("n = %1, mean = %2, std = %3, min = %4, max = %5")
        .arg(c.count)
        .arg(Figure(c.Mean(), 2), Figure(c.StandardDeviation(), 2),
             any ? QString::number(c.minimum) : QStringLiteral("\u2013"),
             any ? QString::number(c.maximum) : QStringLiteral("\u2013"));
}

}  // namespace

QString AoiSummaryText(const zel::AoiRect& rect, const zel::AoiSummary& summary, const zel::Calibration& calibration) {
    const int64_t width = std::llabs(int64_t{rect.x1} - rect.x0) + 1;
    const int64_t height = std::llabs(int64_t{rect.y1} - rect.y0) + 1;
    QString text = Tr("AOI %1 x %2 px").arg(width).arg(height);
    if (calibration.Known()) {
        const QString unit = QString::fromStdString(calibration.UnitText());
        text += QStringLiteral(" = %1 x %2 %3")
                    .arg(calibration.Length(static_cast<double>(width)), 0, 'g', 6)
                    .arg(calibration.Length(static_cast<double>(height)), 0, 'g', 6)
                    .arg(unit);
    }
    if (summary.colour) {
        text += QStringLiteral("\nR: ") + ChannelLine(summary.red);
        text += QStringLiteral("\nG: ") + ChannelLine(summary.green);
        text += QStringLiteral("\nB: ") + ChannelLine(summary.blue);
    } else {
        text += QLatin1Char('\n') + ChannelLine(summary.all);
    }
    return text;
}

}  // namespace zel::gui
