#pragma once
// The axes of a graph: a plot rectangle inside the graph widget, with a line on its left
// and bottom edges, ticks at nice values (document/AxisTicks.h) whose labels do not
// touch, and a title on each axis.
//
// A graph follows playback, so it is redrawn for every frame; the ticks and their label
// texts are laid out once per range, size and font and then only drawn, which costs no
// allocation.

#include <QFont>
#include <QRect>
#include <QSizeF>
#include <QStaticText>
#include <QString>
#include <QTransform>
#include <vector>

#include "document/AxisTicks.h"

class QPainter;

namespace zel::gui {

// The values an axis spans from its start (left, bottom) to its end (right, top), and the
// smallest tick step worth labelling (1 for whole numbers; 0: any).
struct AxisRange {
    double low = 0.0;
    double high = 1.0;
    double minStep = 0.0;
    bool operator==(const AxisRange&) const = default;
};

// One axis's ticks and label texts for a range along a length in pixels.
class GraphAxisLabels {
public:
    // Lays the ticks out anew only when the range, length or font changed. A vertical
    // axis stacks its labels, so their height keeps them apart rather than their width.
    void Update(const AxisRange& range, int length, const QFont& font, bool vertical);

    const zel::AxisTicks& Ticks() const { return ticks_; }
    int Count() const { return ticks_.count; }
    QString LabelText(int i) const { return labels_[static_cast<size_t>(i)].text(); }
    const QStaticText& Label(int i) const { return labels_[static_cast<size_t>(i)]; }
    QSizeF LabelSize(int i) const { return labels_[static_cast<size_t>(i)].size(); }
    double WidestLabel() const { return widest_; }

private:
    bool laidOut_ = false;
    AxisRange range_;
    int length_ = 0;
    QFont font_;
    zel::AxisTicks ticks_;
    std::vector<QStaticText> labels_;
    double widest_ = 0.0;
};

class CGraphAxes {
public:
    // Lays the axes out around a plot inside `client` and returns the plot rectangle: the
    // rectangle the graph's logical range maps onto (its right and bottom edges exclusive,
    // as with EdgesOf). A client too small for axes is all plot, with no axes drawn.
    QRect Layout(const QRect& client, const QFont& font, const AxisRange& x, const AxisRange& y,
                 const QString& xTitle, const QString& yTitle);

    // Draws the axes Layout laid out last.
    void Draw(QPainter& painter) const;

    bool Shown() const { return shown_; }
    const QRect& Plot() const { return plot_; }
    const GraphAxisLabels& X() const { return x_; }
    const GraphAxisLabels& Y() const { return y_; }
    QString XTitle() const { return xTitle_.text(); }
    QString YTitle() const { return yTitle_.text(); }

    // Where a value lands on the widget: the same linear mapping as SetGraphMapping of
    // the ranges onto the plot's edges.
    double XPixel(double value) const;
    double YPixel(double value) const;

private:
    struct Metrics {
        double labelHeight = 0.0;
        double titleHeight = 0.0;
        double yLabelRoom = 0.0;  // the width of "-00000": integer labels keep the plot still
        double xLabelHalf = 0.0;  // room right of the plot for half of an x label
    };
    void Measure(const QFont& font);
    static void SetTitle(QStaticText& title, const QString& text, const QFont& font, const QTransform& transform);

    QFont font_;
    bool measured_ = false;
    Metrics metrics_;
    bool shown_ = false;
    QRect client_;
    QRect plot_;
    AxisRange xRange_;
    AxisRange yRange_;
    GraphAxisLabels x_;
    GraphAxisLabels y_;
    QStaticText xTitle_;
    QStaticText yTitle_;
};

}  // namespace zel::gui
