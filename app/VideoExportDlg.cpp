// Built with video export only (zelvideo defines ZEL_VIDEO).
#ifdef ZEL_VIDEO
#include "app/VideoExportDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zel::gui {

namespace {

constexpr int kH264 = 0, kFfv1 = 1;  // format_ items

}  // namespace

CVideoExportDlg::CVideoExportDlg(const QString& proposedPath, bool calibrated, bool rateKnown, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Export Video"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;

    auto* fileRow = new QHBoxLayout;
    path_ = new QLineEdit(proposedPath, this);
    path_->setAccessibleName(tr("Video file"));
    auto* browse = new QPushButton(tr("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &CVideoExportDlg::OnBrowse);
    fileRow->addWidget(path_, 1);
    fileRow->addWidget(browse);
    auto* fileLabel = new QLabel(tr("&File:"), this);
    fileLabel->setBuddy(path_);
    form->addRow(fileLabel, fileRow);

    format_ = new QComboBox(this);
    format_->addItem(tr("H.264 (.mp4): the window's rendering, to watch and show"));
    format_->addItem(tr("FFV1 (.mkv): lossless 16-bit, the TIFF files' values"));
    format_->setAccessibleName(tr("Format"));
    auto* formatLabel = new QLabel(tr("F&ormat:"), this);
    formatLabel->setBuddy(format_);
    form->addRow(formatLabel, format_);

    byFps_ = new QRadioButton(tr("&Frames per second:"), this);
    fps_ = new QDoubleSpinBox(this);
    fps_->setRange(0.001, 1000.0);
    fps_->setDecimals(3);
    fps_->setValue(30.0);
    fps_->setAccessibleName(tr("Frames per second"));
    bySpeed_ = new QRadioButton(tr("&Speed of the recording:"), this);
    speed_ = new QComboBox(this);
    speed_->setAccessibleName(tr("Speed of the recording"));
    for (const char* fraction : {"1/10", "1/100", "1/1000", "1/10000"})
        speed_->addItem(tr("x%1").arg(QString::fromLatin1(fraction)), QString::fromLatin1(fraction));
    byFps_->setChecked(true);
    bySpeed_->setEnabled(rateKnown);
    if (!rateKnown) bySpeed_->setToolTip(tr("The movie does not record its frame rate"));
    form->addRow(byFps_, fps_);
    form->addRow(bySpeed_, speed_);

    gain_ = new QComboBox(this);
    for (const char* gain : {"1", "2", "4", "8", "16", "32", "64"})
        gain_->addItem(tr("Gain %1").arg(QString::fromLatin1(gain)), QString::fromLatin1(gain));
    gain_->addItem(tr("Gain Auto"), QStringLiteral("auto"));
    gain_->setAccessibleName(tr("Display gain"));
    auto* gainLabel = new QLabel(tr("&Gain:"), this);
    gainLabel->setBuddy(gain_);
    form->addRow(gainLabel, gain_);
    layout->addLayout(form);

    frameOverlay_ = new QCheckBox(tr("Frame &number"), this);
    timeOverlay_ = new QCheckBox(tr("&Time from the trigger"), this);
    scaleBar_ = new QCheckBox(tr("S&cale bar"), this);
    scaleBar_->setEnabled(calibrated);
    if (!calibrated) scaleBar_->setToolTip(tr("Set the pixel size with View > Calibration... first"));
    auto* overlays = new QHBoxLayout;
    overlays->addWidget(new QLabel(tr("Drawn into the frames:"), this));
    for (QCheckBox* box : {frameOverlay_, timeOverlay_, scaleBar_}) overlays->addWidget(box);
    overlays->addStretch(1);
    layout->addLayout(overlays);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(format_, &QComboBox::currentIndexChanged, this, &CVideoExportDlg::OnFormatChanged);
    connect(byFps_, &QRadioButton::toggled, this, &CVideoExportDlg::OnPaceChanged);
    format_->setCurrentIndex(QFileInfo(proposedPath).suffix().compare(QStringLiteral("mkv"), Qt::CaseInsensitive) == 0
                                 ? kFfv1
                                 : kH264);
    OnFormatChanged();
    OnPaceChanged();
}

void CVideoExportDlg::OnBrowse() {
    const QString chosen =
        QFileDialog::getSaveFileName(this, tr("Export Video"), path_->text(),
                                     format_->currentIndex() == kFfv1 ? tr("Matroska video (*.mkv)")
                                                                      : tr("MP4 video (*.mp4)"));
    if (!chosen.isEmpty()) path_->setText(chosen);
}

void CVideoExportDlg::OnFormatChanged() {
    const bool h264 = format_->currentIndex() == kH264;
    gain_->setEnabled(h264);  // FFV1 keeps the samples as they are
    // The file's extension follows the format chosen.
    QString path = path_->text();
    const QString suffix = QFileInfo(path).suffix();
    const QString wanted = h264 ? QStringLiteral("mp4") : QStringLiteral("mkv");
    if (!path.isEmpty() && suffix.compare(wanted, Qt::CaseInsensitive) != 0) {
        if (!suffix.isEmpty()) path.chop(suffix.size() + 1);
        path_->setText(path + QLatin1Char('.') + wanted);
    }
}

void CVideoExportDlg::OnPaceChanged() {
    fps_->setEnabled(byFps_->isChecked());
    speed_->setEnabled(bySpeed_->isChecked());
}

VideoExportRequest CVideoExportDlg::Choice() const {
    VideoExportRequest choice;
    choice.path = path_->text();
    zel::VideoOptions& o = choice.options;
    o.codec = format_->currentIndex() == kFfv1 ? zel::VideoCodec::Ffv1 : zel::VideoCodec::H264;
    if (bySpeed_->isChecked()) {
        o.pace = zel::VideoPace::RecordingSpeed;
        o.paceValue = zel::ParseVideoFraction(speed_->currentData().toString().toStdString()).value_or(o.paceValue);
    } else {
        o.pace = zel::VideoPace::FramesPerSecond;
        o.paceValue = zel::ParseVideoFraction(QString::number(fps_->value(), 'f', 3).toStdString()).value_or(o.paceValue);
    }
    if (o.codec == zel::VideoCodec::H264) o.gain = zel::ParseVideoGain(gain_->currentData().toString().toStdString());
    o.overlays.frameNumber = frameOverlay_->isChecked();
    o.overlays.time = timeOverlay_->isChecked();
    o.overlays.scaleBar = scaleBar_->isEnabled() && scaleBar_->isChecked();
    return choice;
}

}  // namespace zel::gui
#endif  // ZEL_VIDEO
