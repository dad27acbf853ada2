#include "app/KymographWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "document/KymographDisplay.h"
#include "view/NativePath.h"
#include "view/ProblemText.h"

namespace zel::gui {

namespace {

// The picture at one pixel per sample; paints only what is exposed, so a tall kymograph
// never becomes one huge pixmap.
class KymographCanvas : public QWidget {
public:
    KymographCanvas(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
        setFixedSize(picture_.size());
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.drawImage(event->rect(), picture_, event->rect());
    }

private:
    const QImage& picture_;  // the window's, which outlives its canvas
};

// The kymograph's grey rows with the contrast of its own samples.
QImage GreyPicture(const zel::Kymograph& kymograph) {
    QImage picture(kymograph.Width(), kymograph.Height(), QImage::Format_Grayscale8);
    if (picture.isNull()) return picture;  // no memory: an empty window, the file can still be saved
    const zel::GreyScale scale = zel::AutoContrast(kymograph);
    for (int y = 0; y < kymograph.Height(); ++y) zel::GreyRow(kymograph, scale, y, picture.scanLine(y));
    return picture;
}

}  // namespace

CKymographWindow::CKymographWindow(zel::Kymograph kymograph, const QString& movieTitle, const QString& proposedPath,
                                   KymographSaving saving, QWidget* parent)
    : QDialog(parent),
      kymograph_(std::move(kymograph)),
      picture_(GreyPicture(kymograph_)),
      proposedPath_(proposedPath),
      saving_(std::move(saving)) {
    setObjectName(QStringLiteral("kymographWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(true);
    setWindowTitle(tr("Kymograph - %1").arg(movieTitle));
    setAccessibleName(windowTitle());

    const zel::ProfileLine& line = kymograph_.Line();
    summary_ = new QLabel(tr("Frames %1 to %2 along (%3, %4) - (%5, %6): %7 samples x %8 frames")
                              .arg(kymograph_.Span().first)
                              .arg(kymograph_.Span().last)
                              .arg(line.x0)
                              .arg(line.y0)
                              .arg(line.x1)
                              .arg(line.y1)
                              .arg(kymograph_.Width())
                              .arg(kymograph_.Height()),
                          this);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    scroller_ = new QScrollArea(this);
    scroller_->setObjectName(QStringLiteral("kymographImage"));
    scroller_->setWidget(new KymographCanvas(picture_, scroller_));
    scroller_->setFocusPolicy(Qt::StrongFocus);  // the arrow keys scroll it
    scroller_->setAccessibleName(tr("Kymograph image"));
    scroller_->setAccessibleDescription(tr("One row per frame, top row the first frame; grey from the lowest to "
                                           "the highest sample"));

    save_ = new QPushButton(tr("&Save..."), this);
    save_->setObjectName(QStringLiteral("saveKymograph"));
    save_->setAccessibleName(tr("Save the kymograph as a 16-bit TIFF file"));
    save_->setAutoDefault(false);
    connect(save_, &QPushButton::clicked, this, &CKymographWindow::OnSave);
    close_ = new QPushButton(tr("Close"), this);
    close_->setAccessibleName(tr("Close"));
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(scroller_, 1);
    layout->addLayout(buttons);

    // Large enough to show a small kymograph whole, never larger than a usual screen.
    resize(std::clamp(kymograph_.Width() + 60, 360, 1000), std::clamp(kymograph_.Height() + 120, 240, 760));
}

void CKymographWindow::OnSave() {
    if (!saving_.chooseName) return;
    const QString chosen = saving_.chooseName(this, proposedPath_);
    if (chosen.isEmpty()) return;
    if (const zel::Problem failed = kymograph_.Save(CorePath(chosen))) {
        if (saving_.reportFailure) saving_.reportFailure(tr("Kymograph not saved: %1").arg(ProblemText(failed)));
        return;
    }
    proposedPath_ = chosen;
    if (saving_.reportDone) saving_.reportDone(tr("Kymograph saved in %1").arg(chosen));
}

}  // namespace zel::gui
