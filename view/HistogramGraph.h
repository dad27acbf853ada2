#pragma once
// CHistogramGraph: draws an AOI histogram that its window owns: the counts as a filled
// step line over the movie's range of values, one colour per channel of a mosaic, with a
// value axis and a linear or logarithmic count axis (document/HistogramScale.h).
//
// During playback the window has it repainted up to 50 times a second, so painting only
// walks the bins: the axes' marks and label texts are laid out again only when an axis's
// range or length changes, and the outline's points reuse one buffer.

#include <QPolygonF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "document/Histogram.h"
#include "document/HistogramScale.h"

namespace zel::gui {

class CHistogramGraph : public QWidget {
    Q_OBJECT
public:
    // Draws `histogram`, which the caller owns and keeps alive and up to date.
    explicit CHistogramGraph(const zel::AoiHistogram& histogram, QWidget* parent = nullptr);

    void SetLogScale(bool logarithmic);
    bool LogScale() const { return logarithmic_; }
    // The count axis the histogram is drawn on now (its top is the largest bin shown).
    zel::CountAxis Axis() const;
    // Shown in the middle instead of a graph while the histogram is empty.
    void SetEmptyText(const QString& text);

    QSize sizeHint() const override { return {480, 260}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The labelled marks of one axis: where each stands (0 at the axis's start, 1 at its
    // end) and its text, for the range and length they were laid out for.
    struct Mark {
        double at = 0.0;
        QString text;
    };
    struct AxisMarks {
        bool logarithmic = false;
        uint64_t high = 0;
        int length = -1;
        std::vector<Mark> marks;
        int widest = 0;  // pixels of the widest label
    };
    void LayOutValueMarks(uint64_t high, int length);
    void LayOutCountMarks(const zel::CountAxis& axis, int length);
    void DrawAxes(QPainter& painter, const QRect& plot) const;
    void DrawChannel(QPainter& painter, const QRect& plot, const zel::CountAxis& axis,
                     const zel::ChannelHistogram& channel, const QColor& line, const QColor& fill);
    void DrawLegend(QPainter& painter, const QRect& plot) const;

    const zel::AoiHistogram& histogram_;
    bool logarithmic_ = false;
    QString emptyText_;
    AxisMarks values_, counts_;
    QPolygonF outline_;
};

}  // namespace zel::gui
