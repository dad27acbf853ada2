#include "view/GraphAxes.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <string>

namespace zel::gui {

namespace {

constexpr int kTick = 4;     // tick length in pixels
constexpr int kPad = 3;      // between a tick, its label and the axis title
constexpr int kMinPlot = 24;  // below this the axes would leave no graph to read
constexpr QRgb kAxisColour = 0x808080;
constexpr QRgb kLabelColour = 0x404040;  // dark, but never the black of a series

// The width of a range; an empty or unusable one counts as 1, as in SetGraphMapping.
double Extent(const AxisRange& range) {
    const double extent = range.high - range.low;
    return extent != 0.0 && std::isfinite(extent) ? extent : 1.0;
}

// A label as people read it: U+2212 for the minus sign, as the window's other numbers.
QString LabelQString(const zel::AxisTicks& ticks, int i) {
    QString text = QString::fromStdString(zel::TickLabel(ticks, i));
    text.replace(QLatin1Char('-'), QChar(0x2212));
    return text;
}

bool SameTicks(const zel::AxisTicks& a, const zel::AxisTicks& b) {
    return a.first == b.first && a.step == b.step && a.count == b.count && a.decimals == b.decimals &&
           a.exponent == b.exponent;
}

const QPen& AxisPen() {
    static const QPen pen{QColor(kAxisColour), 0};
    return pen;
}

const QPen& LabelPen() {
    static const QPen pen{QColor(kLabelColour), 0};
    return pen;
}

}  // namespace

void GraphAxisLabels::Update(const AxisRange& range, int length, const QFont& font, bool vertical) {
    if (laidOut_ && range == range_ && length == length_ && font == font_) return;
    const bool sameFont = laidOut_ && font == font_;
    laidOut_ = true;
    range_ = range;
    length_ = length;
    font_ = font;
    const QFontMetricsF metrics(font);
    // Labels stacked up an axis need their height; labels along it their width. Either
    // way a gap keeps neighbours from reading as one number.
    const double gap = vertical ? metrics.height() * 0.5 : metrics.horizontalAdvance(QLatin1Char('0')) * 1.5;
    const auto extent = [&](const std::string& label) {
        return vertical ? metrics.height() : metrics.horizontalAdvance(QString::fromStdString(label));
    };
    const zel::AxisTicks ticks =
        length > 0 ? zel::TicksThatFit(range.low, range.high, range.minStep, length, gap, extent) : zel::AxisTicks{};
    // A range fitted to the data moves with every frame, mostly keeping its ticks: their
    // labels are kept too.
    if (sameFont && SameTicks(ticks, ticks_) && static_cast<int>(labels_.size()) == ticks.count) return;
    ticks_ = ticks;
    labels_.resize(static_cast<size_t>(ticks_.count));
    widest_ = 0.0;
    for (int i = 0; i < ticks_.count; ++i) {
        QStaticText& label = labels_[static_cast<size_t>(i)];
        label.setTextFormat(Qt::PlainText);
        label.setText(LabelQString(ticks_, i));
        label.prepare(QTransform(), font);
        widest_ = std::max(widest_, label.size().width());
    }
}

void CGraphAxes::Measure(const QFont& font) {
    const QFontMetricsF metrics(font);
    metrics_.labelHeight = metrics.height();
    metrics_.titleHeight = metrics.height();
    metrics_.yLabelRoom = metrics.horizontalAdvance(QStringLiteral("\u221200000"));
    metrics_.xLabelHalf = metrics.horizontalAdvance(QStringLiteral("00000")) / 2;
}

void CGraphAxes::SetTitle(QStaticText& title, const QString& text, const QFont& font, const QTransform& transform) {
    if (title.text() == text && title.textFormat() == Qt::PlainText) return;
    title.setTextFormat(Qt::PlainText);
    title.setText(text);
    title.prepare(transform, font);
}

QRect CGraphAxes::Layout(const QRect& client, const QFont& font, const AxisRange& x, const AxisRange& y,
                         const QString& xTitle, const QString& yTitle) {
    if (!measured_ || font != font_) {
        Measure(font);
        font_ = font;
        measured_ = true;
        xTitle_ = QStaticText();  // prepared for the old font
        yTitle_ = QStaticText();
    }
    SetTitle(xTitle_, xTitle, font, QTransform());
    SetTitle(yTitle_, yTitle, font, QTransform().rotate(-90));
    client_ = client;
    xRange_ = x;
    yRange_ = y;

    // Room above for half of the top label, below for ticks, labels and the title, left
    // for the title, the widest label and the ticks, right for half of the last label.
    const int top = client.top() + static_cast<int>(std::ceil(metrics_.labelHeight / 2)) + 1;
    const int bottomRoom = kTick + kPad + static_cast<int>(std::ceil(metrics_.labelHeight + metrics_.titleHeight)) + 2 * kPad;
    const int height = client.top() + client.height() - bottomRoom - top;
    y_.Update(y, height, font, true);
    const int leftRoom = 1 + kTick + 3 * kPad +
                         static_cast<int>(std::ceil(metrics_.titleHeight + std::max(y_.WidestLabel(), metrics_.yLabelRoom)));
    const int rightRoom = static_cast<int>(std::ceil(metrics_.xLabelHalf)) + kPad;
    const int width = client.width() - leftRoom - rightRoom;
    shown_ = width >= kMinPlot && height >= kMinPlot;
    if (!shown_) {
        plot_ = client;
        return plot_;
    }
    x_.Update(x, width, font, false);
    plot_ = QRect(client.left() + leftRoom, top, width, height);
    return plot_;
}

double CGraphAxes::XPixel(double value) const {
    return plot_.left() + (value - xRange_.low) * plot_.width() / Extent(xRange_);
}

double CGraphAxes::YPixel(double value) const {
    return plot_.top() + plot_.height() - (value - yRange_.low) * plot_.height() / Extent(yRange_);
}

void CGraphAxes::Draw(QPainter& painter) const {
    if (!shown_) return;
    // The axis lines lie just outside the plot: left of its first column, and on the row
    // its bottom edge maps to (where the lowest value of the range is drawn).
    const int axisX = plot_.left() - 1;
    const int axisY = plot_.top() + plot_.height();
    const int clientRight = client_.left() + client_.width();
    const int clientBottom = client_.top() + client_.height();
    painter.setPen(AxisPen());
    painter.drawLine(axisX, plot_.top(), axisX, axisY);
    painter.drawLine(axisX, axisY, plot_.left() + plot_.width(), axisY);
    for (int i = 0; i < x_.Count(); ++i) {
        const int px = static_cast<int>(std::lround(XPixel(x_.Ticks().At(i))));
        painter.drawLine(px, axisY, px, axisY + kTick);
    }
    for (int i = 0; i < y_.Count(); ++i) {
        const int py = static_cast<int>(std::lround(YPixel(y_.Ticks().At(i))));
        painter.drawLine(axisX - kTick, py, axisX, py);
    }

    painter.setPen(LabelPen());
    const double xLabelTop = axisY + kTick + kPad;
    for (int i = 0; i < x_.Count(); ++i) {
        const double width = x_.LabelSize(i).width();
        const double centre = XPixel(x_.Ticks().At(i));
        const double left = std::clamp(centre - width / 2, static_cast<double>(client_.left()), clientRight - width);
        painter.drawStaticText(QPointF(left, xLabelTop), x_.Label(i));
    }
    const double yLabelRight = axisX - kTick - kPad;
    for (int i = 0; i < y_.Count(); ++i) {
        const QSizeF size = y_.LabelSize(i);
        const double middle = YPixel(y_.Ticks().At(i));
        const double top = std::clamp(middle - size.height() / 2, static_cast<double>(client_.top()),
                                      clientBottom - size.height());
        painter.drawStaticText(QPointF(yLabelRight - size.width(), top), y_.Label(i));
    }

    const QSizeF xTitleSize = xTitle_.size();
    painter.drawStaticText(QPointF(plot_.left() + (plot_.width() - xTitleSize.width()) / 2,
                                   xLabelTop + metrics_.labelHeight + kPad),
                           xTitle_);
    // Read bottom to top, centred on the plot's height, at the window's left edge.
    const QSizeF yTitleSize = yTitle_.size();
    const QTransform before = painter.transform();
    painter.translate(client_.left() + kPad, plot_.top() + (plot_.height() + yTitleSize.width()) / 2);
    painter.rotate(-90);
    painter.drawStaticText(QPointF(0, 0), yTitle_);
    painter.setTransform(before);
}

}  // namespace zel::gui
