#include "view/HistogramGraph.h"

#include <QPainter>
#include <algorithm>

#include "document/AxisTicks.h"

namespace zel::gui {

namespace {

constexpr int kTickLength = 4;

// One colour per channel: a solid outline over a light fill, so that overlapping
// channels stay visible through each other.
const QColor kGreyLine(40, 40, 40), kGreyFill(150, 150, 150);
const QColor kRedLine(210, 0, 0), kRedFill(210, 0, 0, 45);
const QColor kGreenLine(0, 150, 0), kGreenFill(0, 150, 0, 45);
const QColor kBlueLine(0, 0, 220), kBlueFill(0, 0, 220, 45);

}  // namespace

CHistogramGraph::CHistogramGraph(const zel::AoiHistogram& histogram, QWidget* parent)
    : QWidget(parent), histogram_(histogram) {
    setObjectName(QStringLiteral("histogramGraph"));
    setAccessibleName(tr("Histogram graph"));
    // paintEvent covers every pixel, so Qt need not clear the widget first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CHistogramGraph::SetLogScale(bool logarithmic) {
    if (logarithmic_ == logarithmic) return;
    logarithmic_ = logarithmic;
    update();
}

zel::CountAxis CHistogramGraph::Axis() const {
    uint64_t peak = histogram_.all.Peak();
    if (histogram_.colour)
        peak = std::max({histogram_.red.Peak(), histogram_.green.Peak(), histogram_.blue.Peak()});
    return zel::MakeCountAxis(peak, logarithmic_);
}

void CHistogramGraph::SetEmptyText(const QString& text) {
    if (emptyText_ == text) return;
    emptyText_ = text;
    update();
}

void CHistogramGraph::LayOutValueMarks(uint64_t high, int length) {
    if (values_.high == high && values_.length == length) return;
    values_ = AxisMarks{false, high, length, {}, 0};
    const QFontMetrics metrics = fontMetrics();
    const auto width = [&](const std::string& text) {
        return static_cast<double>(metrics.horizontalAdvance(QString::fromStdString(text)));
    };
    const zel::AxisTicks ticks = zel::TicksThatFit(0.0, static_cast<double>(high), 1.0, length, 12.0, width);
    for (int i = 0; i < ticks.count; ++i) {
        const double value = ticks.At(i);
        if (value < 0.0 || value > static_cast<double>(high)) continue;
        values_.marks.push_back({value / static_cast<double>(high), QString::fromStdString(zel::TickLabel(ticks, i))});
    }
}

void CHistogramGraph::LayOutCountMarks(const zel::CountAxis& axis, int length) {
    if (counts_.logarithmic == axis.logarithmic && counts_.high == axis.top && counts_.length == length) return;
    counts_ = AxisMarks{axis.logarithmic, axis.top, length, {}, 0};
    const QFontMetrics metrics = fontMetrics();
    // Labels stack along a vertical axis: their height keeps them apart.
    const double line = metrics.height();
    if (axis.logarithmic) {
        counts_.marks.push_back({0.0, QStringLiteral("0")});
        double last = 0.0;
        for (int k = 0; k < zel::DecadeCount(axis); ++k) {
            const double at = zel::CountFraction(axis, zel::Decade(k));
            if ((at - last) * length < line) continue;  // would touch the label below
            counts_.marks.push_back({at, QString::fromStdString(zel::DecadeLabel(k))});
            last = at;
        }
    } else {
        const zel::AxisTicks ticks = zel::TicksThatFit(0.0, static_cast<double>(axis.top), 1.0, length, line / 2,
                                                       [line](const std::string&) { return line; });
        for (int i = 0; i < ticks.count; ++i) {
            const double value = ticks.At(i);
            if (value < 0.0 || value > static_cast<double>(axis.top)) continue;
            counts_.marks.push_back(
                {value / static_cast<double>(axis.top), QString::fromStdString(zel::TickLabel(ticks, i))});
        }
    }
    for (const Mark& mark : counts_.marks) counts_.widest = std::max(counts_.widest, metrics.horizontalAdvance(mark.text));
}

void CHistogramGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (histogram_.binCount == 0 || histogram_.bitDepth < 1) {
        painter.setPen(Qt::darkGray);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
        return;
    }
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    // Above the plot: the count axis's title; below: the value labels and the axis's title.
    const int top = line + line / 2 + 6, bottom = 2 * line + kTickLength + 6;
    const int plotHeight = std::max(1, height() - top - bottom);
    const zel::CountAxis axis = Axis();
    LayOutCountMarks(axis, plotHeight);
    const int left = counts_.widest + kTickLength + 6;
    // Room for half of the last value label past the plot's right edge.
    const int right = metrics.horizontalAdvance(QStringLiteral("00000")) / 2 + 6;
    const QRect plot(left, top, std::max(1, width() - left - right), plotHeight);
    LayOutValueMarks(uint64_t{1} << histogram_.bitDepth, plot.width());

    painter.setRenderHint(QPainter::Antialiasing, false);
    if (histogram_.colour) {
        DrawChannel(painter, plot, axis, histogram_.red, kRedLine, kRedFill);
        DrawChannel(painter, plot, axis, histogram_.green, kGreenLine, kGreenFill);
        DrawChannel(painter, plot, axis, histogram_.blue, kBlueLine, kBlueFill);
        DrawLegend(painter, plot);
    } else {
        DrawChannel(painter, plot, axis, histogram_.all, kGreyLine, kGreyFill);
    }
    DrawAxes(painter, plot);
}

void CHistogramGraph::DrawChannel(QPainter& painter, const QRect& plot, const zel::CountAxis& axis,
                                  const zel::ChannelHistogram& channel, const QColor& line, const QColor& fill) {
    const int bins = std::clamp(histogram_.binCount, 1, zel::kMaxHistogramBins);
    const double base = plot.top() + plot.height(), x0 = plot.left(), w = plot.width(), h = plot.height();
    // The outline steps along the top of every bin, from the base line back to it.
    outline_.resize(2 * bins + 2);
    outline_[0] = QPointF(x0, base);
    for (int i = 0; i < bins; ++i) {
        const double y = base - zel::CountFraction(axis, channel.bins[static_cast<size_t>(i)]) * h;
        outline_[2 * i + 1] = QPointF(x0 + w * i / bins, y);
        outline_[2 * i + 2] = QPointF(x0 + w * (i + 1) / bins, y);
    }
    outline_[2 * bins + 1] = QPointF(x0 + w, base);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(outline_);
    painter.setPen(QPen(line, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(outline_);
}

void CHistogramGraph::DrawAxes(QPainter& painter, const QRect& plot) const {
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const int base = plot.top() + plot.height();
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(plot.left() - 1, plot.top(), plot.left() - 1, base);
    painter.drawLine(plot.left() - 1, base, plot.left() + plot.width(), base);
    for (const Mark& mark : values_.marks) {
        const int x = plot.left() + static_cast<int>(mark.at * plot.width() + 0.5);
        painter.drawLine(x, base, x, base + kTickLength);
        const int textWidth = metrics.horizontalAdvance(mark.text);
        painter.drawText(QRect(x - textWidth / 2 - 1, base + kTickLength + 1, textWidth + 2, line),
                         Qt::AlignCenter, mark.text);
    }
    for (const Mark& mark : counts_.marks) {
        const int y = base - static_cast<int>(mark.at * plot.height() + 0.5);
        painter.drawLine(plot.left() - 1 - kTickLength, y, plot.left() - 1, y);
        const QRect box(0, y - line / 2, plot.left() - kTickLength - 4, line);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, mark.text);
    }
    painter.drawText(QRect(plot.left(), base + kTickLength + line + 2, plot.width(), line), Qt::AlignHCenter,
                     tr("Value"));
    painter.drawText(QRect(2, 2, width() - 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                     logarithmic_ ? tr("Count (log scale)") : tr("Count"));
}

void CHistogramGraph::DrawLegend(QPainter& painter, const QRect& plot) const {
    const QFontMetrics metrics = fontMetrics();
    const struct {
        QString name;
        QColor colour;
    } entries[] = {{tr("Red"), kRedLine}, {tr("Green"), kGreenLine}, {tr("Blue"), kBlueLine}};
    int x = plot.left() + plot.width();
    for (int i = 2; i >= 0; --i) {
        x -= metrics.horizontalAdvance(entries[i].name);
        painter.setPen(entries[i].colour);
        // In the title row above the plot, where no bin can reach.
        painter.drawText(QPoint(x, 2 + metrics.ascent()), entries[i].name);
        x -= metrics.horizontalAdvance(QLatin1Char(' ')) * 2;
    }
}

}  // namespace zel::gui
