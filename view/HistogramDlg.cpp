#include "view/HistogramDlg.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
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

    auto* figures = new QVBoxLayout;
    figures->addWidget(statistics_, 1);
    figures->addWidget(logScale_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 8);
    layout->addWidget(graph_, 1);
    layout->addLayout(figures);
    resize(820, 300);
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
    graph_->SetEmptyText(doc == nullptr ? tr("No movie window is active.")
                                        : tr("No AOI: turn on the AOI tool in the movie's window."));
    graph_->update();  // painted once per pass of the event loop however many frames went by
    const QString text = StatisticsText();
    if (statistics_->text() != text) statistics_->setText(text);
}

QString CHistogramDlg::ChannelRow(const QString& name, const zel::ChannelSummary& channel) const {
    const bool any = channel.count > 0;
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(name, -6)
        .arg(QString::number(channel.count), 9)
        .arg(Figure(channel.Mean(), 2), 11)
        .arg(Figure(channel.StandardDeviation(), 2), 10)
        .arg(any ? QString::number(channel.minimum) : kUndefined, 7)
        .arg(any ? QString::number(channel.maximum) : kUndefined, 7);
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
    lines << QStringLiteral("%1%2%3%4%5%6")
                 .arg(QString(), -6)
                 .arg(tr("n"), 9)
                 .arg(tr("mean"), 11)
                 .arg(tr("std"), 10)
                 .arg(tr("min"), 7)
                 .arg(tr("max"), 7);
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
