#pragma once
// CKymographWindow: a finished kymograph on the screen, in a window of its own beside the
// main window. It is modeless and owns its image, so it stays (and can still be saved)
// after its movie is closed. The image scrolls at one screen pixel per sample, in grey
// with automatic contrast (document/KymographDisplay.h: a kymograph's values span what
// the line crosses, which the movie's display gain mostly shows flat); Save... writes the
// 16-bit TIFF file with every sample as it is.

#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>

#include "document/Kymograph.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace zel::gui {

// What the window asks of the main window when saving.
struct KymographSaving {
    // The file to write, proposing `proposed`; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& proposed)> chooseName;
    // A save that failed, with its whole reason; and one that succeeded.
    std::function<void(const QString& text)> reportFailure;
    std::function<void(const QString& text)> reportDone;
};

class CKymographWindow : public QDialog {
    Q_OBJECT
public:
    // `proposedPath` is the file name the save dialog offers first.
    CKymographWindow(zel::Kymograph kymograph, const QString& movieTitle, const QString& proposedPath,
                     KymographSaving saving, QWidget* parent);

    const zel::Kymograph& Kymograph() const { return kymograph_; }
    // The picture shown: Width() x Height() of the kymograph, 8-bit grey.
    const QImage& Picture() const { return picture_; }

public slots:
    // Asks for a file name and writes the 16-bit TIFF file there.
    void OnSave();

private:
    zel::Kymograph kymograph_;
    QImage picture_;
    QString proposedPath_;
    KymographSaving saving_;
    QScrollArea* scroller_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace zel::gui
