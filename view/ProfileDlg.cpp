#include "view/ProfileDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "document/AxisTicks.h"

namespace zel::gui {

namespace {

// A fitted range leaves this much of its height free above and below the data, and at
// least one value, so that a flat profile is a line inside the plot, not on its edge.
constexpr double kFitMargin = 0.05;
constexpr double kFitMinPad = 1.0;

constexpr QRgb kReadoutLine = 0xA0C0E8;
constexpr QRgb kReadoutPoint = 0xD03030;
constexpr int kReadoutRadius = 3;

const QPen& ReadoutLinePen() {
    static const QPen pen{QColor(kReadoutLine), 0};
    return pen;
}

const QPen& ReadoutPointPen() {
    static const QPen pen{QColor(kReadoutPoint), 0};
    return pen;
}

}  // namespace

CProfileDlg::CProfileDlg(QWidget* parent) : CGraphDlg(parent) {
    GraphWidget()->setObjectName(QStringLiteral("profileGraph"));
    GraphWidget()->setAccessibleName(tr("Profile graph"));
    xTitle_ = tr("Position (px)");
    yTitle_ = tr("Value");
    focusPen_ = QPen(GraphWidget()->palette().color(QPalette::Highlight), 0, Qt::DotLine);

    // Above the graph: the readout, and the choice of range.
    readoutLabel_ = new QLabel(this);
    readoutLabel_->setObjectName(QStringLiteral("profileReadout"));
    readoutLabel_->setAccessibleDescription(tr("Position and value of the marked sample"));
    // A long readout is cut at the window's edge rather than widening the window.
    readoutLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fitBox_ = new QCheckBox(tr("&Fit to data"), this);
    fitBox_->setObjectName(QStringLiteral("fitToData"));
    fitBox_->setAccessibleName(tr("Fit to data"));
    fitBox_->setToolTip(tr("Scale the values to the samples shown instead of the movie's full range (F)"));
    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(readoutLabel_, 1);
    row->addWidget(fitBox_);
    WindowLayout()->insertLayout(0, row);
    // The same choice from the keyboard (F) and the graph's context menu.
    fitAction_ = new QAction(tr("Fit to data"), this);
    fitAction_->setCheckable(true);
    fitAction_->setShortcut(QKeySequence(Qt::Key_F));
    fitAction_->setShortcutContext(Qt::WindowShortcut);
    addAction(fitAction_);
    GraphWidget()->addAction(fitAction_);
    GraphWidget()->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(fitBox_, &QCheckBox::toggled, this, &CProfileDlg::OnFitToData);
    connect(fitAction_, &QAction::toggled, this, &CProfileDlg::SetFitToData);
}

bool CProfileDlg::Create(const QString& text, QWidget* mainWindow) {
    setWindowTitle(tr("Profile : %1").arg(text));
    if (mainWindow) {
        // A parent anywhere inside the main window already keeps the graph above it (and
        // decides when it is deleted); only a window without one is given the main window.
        // setParent resets the flags, so the graph window's own are passed on.
        if (!parentWidget()) setParent(mainWindow, windowFlags());
        // The client area (not the frame) covers the quarter: where a window manager
        // draws the title bar is not known before the window is shown.
        const QRect inner = mainWindow->rect();
        const int height = inner.height() / 4;
        const QPoint topLeft = mainWindow->mapToGlobal(QPoint(inner.left(), inner.top() + inner.height() * 3 / 4));
        setGeometry(QRect(topLeft, QSize(inner.width(), height)));
    }
    show();
    return true;
}

int CProfileDlg::SetSeries(int index, int bits, const int16_t* values, int count) {
    const int stored = series_.SetSeries(index, bits, values, count);
    if (readout_ >= 0) RefreshReadout();  // the same sample, read in the new frame
    GraphWidget()->repaint();
    return stored;
}

void CProfileDlg::UpdateExtents() { series_.UpdateExtents(); }

void CProfileDlg::ClearSeries() {
    series_.ClearSeries();
    readout_ = -1;
    RefreshReadout();
}

void CProfileDlg::SetLine(const zel::ProfileLine& line, const zel::Calibration& calibration) {
    const zel::ProfilePositions positions = zel::PositionsAlong(line, calibration);
    if (positions == positions_) return;
    positions_ = positions;
    xTitle_ = positions_.Calibrated()
                  ? tr("Position (%1)").arg(QString::fromStdString(positions_.calibration.UnitText()))
                  : tr("Position (px)");
    RefreshReadout();
    GraphWidget()->update();
}

bool CProfileDlg::FitToData() const { return fitBox_->isChecked(); }

void CProfileDlg::SetFitToData(bool fit) { fitBox_->setChecked(fit); }

void CProfileDlg::OnFitToData(bool fit) {
    fitAction_->setChecked(fit);
    GraphWidget()->update();
}

const ProfileSeries* CProfileDlg::ReadoutSeries() const {
    for (int i = 0; i < series_.seriesCount; ++i) {
        const ProfileSeries* series = series_.Series(i);
        if (series && series->visible && series->count > 0) return series;
    }
    return nullptr;
}

void CProfileDlg::LayOut(const QRect& client) {
    int low = series_.yMin, high = series_.yMax;
    if (FitToData()) {
        // The values of the series on the screen; the fixed range may hold far more.
        bool any = false;
        for (int i = 0; i < series_.seriesCount; ++i) {
            const ProfileSeries* series = series_.Series(i);
            if (!series || !series->visible || series->count == 0) continue;
            low = any ? std::min(low, series->minValue) : series->minValue;
            high = any ? std::max(high, series->maxValue) : series->maxValue;
            any = true;
        }
        // Values are 16-bit, so the padded range stays far inside an int.
        const zel::ValueRange padded = zel::PaddedRange(low, high, kFitMargin, kFitMinPad);
        low = static_cast<int>(std::floor(padded.low));
        high = static_cast<int>(std::ceil(padded.high));
    }
    const AxisRange x{0.0, series_.xMax * positions_.UnitSpacing(), positions_.Calibrated() ? 0.0 : 1.0};
    const AxisRange y{static_cast<double>(low), static_cast<double>(high), 1.0};  // values are whole numbers
    plot_ = axes_.Layout(client, GraphWidget()->font(), x, y, xTitle_, yTitle_);
    logical_ = GraphRect{0, high, series_.xMax, low};
}

QRect CProfileDlg::PlotRect() {
    LayOut(GraphWidget()->rect());
    return plot_;
}

GraphRect CProfileDlg::ShownRange() {
    LayOut(GraphWidget()->rect());
    return logical_;
}

void CProfileDlg::DrawGraph(QPainter& painter, const QRect& client) {
    if (ReadoutSeries() == nullptr) return;  // nothing to draw: the graph stays white
    LayOut(client);
    axes_.Draw(painter);
    // Values outside the range shown (a fixed range that a movie's values overstep) stay
    // inside the plot and the row its bottom edge maps to, off the axis labels. Clipping
    // costs allocations in every frame, so only then.
    bool outside = false;
    for (int i = 0; i < series_.seriesCount; ++i) {
        const ProfileSeries* series = series_.Series(i);
        if (series && (series->minValue < logical_.bottom || series->maxValue > logical_.top)) outside = true;
    }
    if (outside) painter.setClipRect(plot_.adjusted(0, 0, 0, 1));
    SetGraphMapping(painter, logical_, EdgesOf(plot_));
    for (int i = 0; i < series_.seriesCount; ++i) {
        const ProfileSeries* series = series_.Series(i);
        if (!series || !series->visible || series->count == 0) continue;
        DrawSeries(painter, series->values.data(), series->count, QColor(QRgb(series->color)), points_);
    }
    painter.resetTransform();
    painter.setClipping(false);
    DrawReadoutMark(painter);
    if (GraphWidget()->hasFocus()) {
        painter.setPen(focusPen_);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(0, 0, -1, -1));
    }
}

void CProfileDlg::DrawReadoutMark(QPainter& painter) const {
    const ProfileSeries* series = ReadoutSeries();
    if (readout_ < 0 || series == nullptr) return;
    const int sample = std::min(readout_, series->count - 1);
    const QPointF at = GraphTransform(logical_, EdgesOf(plot_)).map(QPointF(sample, series->values[sample]));
    const double x = std::round(at.x());
    painter.setPen(ReadoutLinePen());
    painter.drawLine(QPointF(x, plot_.top()), QPointF(x, plot_.top() + plot_.height()));
    painter.setPen(ReadoutPointPen());
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawEllipse(QPointF(x, at.y()), kReadoutRadius, kReadoutRadius);
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void CProfileDlg::GraphMouseMove(const QPoint& pos) {
    const ProfileSeries* series = ReadoutSeries();
    if (series == nullptr) return;
    LayOut(GraphWidget()->rect());
    // A few pixels of slack, so the first and last samples are easy to reach.
    if (!plot_.adjusted(-3, -3, 3, 3).contains(pos) || plot_.width() <= 0) return;
    // The sample whose column is nearest: sample i is drawn at left + i * width / xMax.
    const double index = (pos.x() - plot_.left()) * static_cast<double>(std::max(series_.xMax, 1)) / plot_.width();
    SetReadout(static_cast<int>(std::clamp(std::lround(index), 0L, static_cast<long>(series->count - 1))));
}

bool CProfileDlg::GraphKeyPress(int key) {
    const ProfileSeries* series = ReadoutSeries();
    if (series == nullptr) return false;
    const int last = series->count - 1;
    const int current = std::min(readout_, last);
    switch (key) {
        case Qt::Key_Left: SetReadout(current < 0 ? last : std::max(current - 1, 0)); return true;
        case Qt::Key_Right: SetReadout(current < 0 ? 0 : std::min(current + 1, last)); return true;
        case Qt::Key_Home: SetReadout(0); return true;
        case Qt::Key_End: SetReadout(last); return true;
        default: return false;
    }
}

void CProfileDlg::SetReadout(int sample) {
    if (sample == readout_) return;
    readout_ = sample;
    RefreshReadout();
    GraphWidget()->update();
}

QString CProfileDlg::ReadoutText() const {
    const ProfileSeries* series = ReadoutSeries();
    if (readout_ < 0 || series == nullptr) return {};
    const int sample = std::min(readout_, series->count - 1);
    // Whole pixels along a horizontal or vertical line; hundredths along a slanted one.
    const QString pixels = QString::number(positions_.Pixels(sample), 'f', positions_.pixelSpacing == 1.0 ? 0 : 2);
    const int value = series->values[sample];
    if (positions_.Calibrated())
        return tr("Sample %1: %2 px = %3 %4, value %5")
            .arg(sample)
            .arg(pixels, QString::number(positions_.InUnit(sample), 'f', positions_.UnitDecimals()),
                 QString::fromStdString(positions_.calibration.UnitText()))
            .arg(value);
    return tr("Sample %1: %2 px, value %3").arg(sample).arg(pixels).arg(value);
}

void CProfileDlg::RefreshReadout() {
    const QString text = ReadoutText();
    if (text == readoutLabel_->text()) return;
    readoutLabel_->setText(text);
    // Screen readers hear the readout as the graph's description.
    GraphWidget()->setAccessibleDescription(text);
}

}  // namespace zel::gui
