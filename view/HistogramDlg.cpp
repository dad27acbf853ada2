#include "view/HistogramDlg.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "document/ZelfDoc.h"
#include "view/HistogramGraph.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

// A normal window (minimize and maximize boxes) transient for the main window, as the
// profile graph is: above it, never above other programs.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// What a figure that is not defined (no pixel, one pixel for a deviation) shows: an en
// dash, which also joins the AOI's corners.
const QString kUndefined(QChar(0x2013));
const QString& kDash = kUndefined;

QString Figure(double value, int decimals) {
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : kUndefined;
}

// Columns a text takes in a fixed-pitch font: East Asian wide characters (the Japanese
// column heads) take two.
int Columns(const QString& text) {
    int columns = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6);
        columns += wide ? 2 : 1;
    }
    return columns;
}

// `text` padded with spaces to `width` columns: on the left (right-aligned) for a
// positive width, on the right for a negative one.
QString Cell(const QString& text, int width) {
    const QString padding(std::max(0, std::abs(width) - Columns(text)), QLatin1Char(' '));
    return width > 0 ? padding + text : text + padding;
}

// One row of the figures' table: a name and five right-aligned columns.
QString Row(const QString& name, const QString& n, const QString& mean, const QString& std, const QString& min,
            const QString& max) {
    return Cell(name, -8) + Cell(n, 9) + Cell(mean, 11) + Cell(std, 11) + Cell(min, 7) + Cell(max, 7);
}

}  // namespace

CHistogramDlg::CHistogramDlg(QWidget* parent) : QDialog(parent, kWindowFlags) {
    setObjectName(QStringLiteral("histogramWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(tr("Histogram"));
    // Esc and Enter only hide a dialog: a closed histogram must not go on observing.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);

    graph_ = new CHistogramGraph(histogram_, this);
    statistics_ = new QLabel(this);
    statistics_->setObjectName(QStringLiteral("histogramStatistics"));
    // Columns of figures line up only in a fixed-pitch font.
    statistics_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    statistics_->setTextFormat(Qt::PlainText);
    statistics_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Reachable with Tab, and its text can be selected and copied from the keyboard. The
    // accessible name stays the text itself, so a screen reader reads the figures.
    statistics_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    statistics_->setFocusPolicy(Qt::StrongFocus);
    statistics_->setAccessibleDescription(tr("Figures of the AOI in the current frame"));
    logScale_ = new QCheckBox(tr("&Log scale"), this);
    logScale_->setObjectName(QStringLiteral("histogramLogScale"));
    logScale_->setAccessibleName(tr("Log scale"));
    logScale_->setToolTip(tr("Show the counts on a logarithmic scale (Alt+L)"));
    connect(logScale_, &QCheckBox::toggled, graph_, &CHistogramGraph::SetLogScale);
    // The window opens on its one control, not inside the figures' text.
    logScale_->setFocus();
    presentTimer_ = new QTimer(this);
    presentTimer_->setSingleShot(true);
    connect(presentTimer_, &QTimer::timeout, this, &CHistogramDlg::Present);

    // The graph fills its side to the window's edges, as the profile graph does; the
    // figures keep a margin.
    auto* figures = new QVBoxLayout;
    figures->setContentsMargins(10, 6, 12, 8);
    figures->addWidget(statistics_, 1);
    figures->addWidget(logScale_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(graph_, 1);
    layout->addLayout(figures);
    resize(840, 300);
    Refresh();
}

CHistogramDlg::~CHistogramDlg() {
    if (doc_) doc_->DetachObserver(this);
}

void CHistogramDlg::ShowBeside(QWidget* anchor) {
    if (anchor != nullptr) {
        const QRect inner = anchor->rect();
        const QPoint topRight = anchor->mapToGlobal(inner.topRight());
        move(std::max(anchor->mapToGlobal(inner.topLeft()).x(), topRight.x() - width()), topRight.y());
    }
    show();
    raise();
    activateWindow();
}

CZelfView* CHistogramDlg::FollowedView() const { return view_; }

bool CHistogramDlg::LogScale() const { return graph_->LogScale(); }

zel::CountAxis CHistogramDlg::CountAxis() const { return graph_->Axis(); }

void CHistogramDlg::Follow(CZelfView* view) {
    if (view != view_) {
        if (view_) {
            view_->viewport()->removeEventFilter(this);
            disconnect(view_, nullptr, this, nullptr);
        }
        view_ = view;
        if (view != nullptr) {
            // The view repaints whenever its AOI is drawn or moved (also during a drag, when
            // it says nothing else): that is when the AOI may have changed.
            view->viewport()->installEventFilter(this);
            connect(view, &CZelfView::CommandStateChanged, this, &CHistogramDlg::Refresh);
        }
    } else if (view != nullptr && view->DocumentPtr() == doc_) {
        return;
    }
    FollowDocument(view != nullptr ? view->DocumentPtr() : nullptr);
    Refresh();
    Present();  // another window's AOI: shown at once, not at playback's pace
}

void CHistogramDlg::FollowDocument(std::shared_ptr<zel::CZelfDoc> doc) {
    if (doc == doc_) return;
    if (doc_) doc_->DetachObserver(this);
    doc_ = std::move(doc);
    if (doc_) doc_->AttachObserver(this);
}

void CHistogramDlg::RepaintViews() { Refresh(); }

void CHistogramDlg::UpdateAllViews() { Refresh(); }

bool CHistogramDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && view_ && watched == view_->viewport() && view_->AoiToRecord() != rect_)
        Refresh();
    return QDialog::eventFilter(watched, event);
}

void CHistogramDlg::Refresh() {
    rect_ = view_ ? view_->AoiToRecord() : std::nullopt;
    const zel::CZelfDoc* doc = view_ ? view_->GetDocument() : nullptr;
    if (doc != nullptr && rect_ && zel::DocumentHistogram(*doc, *rect_, histogram_)) {
        summary_ = doc->Summary(*rect_);
        frame_ = doc->CurrentFrame();
    } else {
        histogram_ = zel::AoiHistogram{};
        summary_ = zel::AoiSummary{};
        frame_ = -1;
    }
    hasDocument_ = doc != nullptr;
    // Playback may compute several hundred frames a second, more than a screen shows or a
    // reader can take in: the graph and the figures are redrawn at most kPresentInterval
    // apart, and always with the last frame computed.
    if (!presented_.isValid() || presented_.elapsed() >= kPresentInterval.count())
        Present();
    else if (!presentTimer_->isActive())
        presentTimer_->start(kPresentInterval - std::chrono::milliseconds(presented_.elapsed()));
}

void CHistogramDlg::Present() {
    presentTimer_->stop();
    presented_.restart();
    graph_->SetEmptyText(hasDocument_ ? tr("No AOI: turn on the AOI tool in the movie's window.")
                                      : tr("No movie window is active."));
    graph_->update();
    const QString text = StatisticsText();
    if (statistics_->text() != text) statistics_->setText(text);
}

QString CHistogramDlg::ChannelRow(const QString& name, const zel::ChannelSummary& channel) const {
    const bool any = channel.count > 0;
    return Row(name, QString::number(channel.count), Figure(channel.Mean(), 2), Figure(channel.StandardDeviation(), 2),
               any ? QString::number(channel.minimum) : kUndefined, any ? QString::number(channel.maximum) : kUndefined);
}

QString CHistogramDlg::StatisticsText() const {
    if (histogram_.binCount == 0 || !rect_) return tr("No AOI");
    const zel::AoiRect& r = *rect_;
    QStringList lines;
    lines << tr("Frame %1, AOI (%2, %3) %4 (%5, %6)")
                 .arg(frame_)
                 .arg(std::min(r.x0, r.x1))
                 .arg(std::min(r.y0, r.y1))
                 .arg(kDash)
                 .arg(std::max(r.x0, r.x1))
                 .arg(std::max(r.y0, r.y1));
    lines << QString();
    lines << Row(QString(), tr("n"), tr("mean"), tr("std"), tr("min"), tr("max"));
    if (summary_.colour) {
        lines << ChannelRow(tr("Red"), summary_.red) << ChannelRow(tr("Green"), summary_.green)
              << ChannelRow(tr("Blue"), summary_.blue);
    } else {
        lines << ChannelRow(tr("Grey"), summary_.all);
    }
    lines << QString();
    lines << tr("%1 bins of %2 values over 0..%3")
                 .arg(histogram_.binCount)
                 .arg(histogram_.BinWidth())
                 .arg(histogram_.FullScale());
    lines << tr("Outside 0..%1: %2 below, %3 above")
                 .arg(histogram_.FullScale())
                 .arg(histogram_.all.below)
                 .arg(histogram_.all.above);
    return lines.join(QLatin1Char('\n'));
}

void CHistogramDlg::keyPressEvent(QKeyEvent* event) {
    // There are no buttons to press, so Enter closes the window as Esc does, like the
    // profile graph.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zel::gui
