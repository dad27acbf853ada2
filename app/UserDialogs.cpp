#include "app/UserDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrinter>

#include "app/AboutDlg.h"
#include "app/CalibrationDlg.h"
#include "app/VideoExportDlg.h"
#include "app/ZelfDialog.h"

namespace zel::gui {

std::optional<MovieChoice> StandardDialogs::ChooseMovie(QWidget* parent) {
    CZelfDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return MovieChoice{dialog.selectedFiles().front(), dialog.applyCorrection != 0};
}

QString StandardDialogs::ChooseTiffName(QWidget* parent, const QString& proposedBaseName) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("tif"));
    dialog.setNameFilter(QStringLiteral("TIFF Files (*.tif)"));
    dialog.selectFile(proposedBaseName);
    // The chosen name itself is never written; numbered files beside it are, so the
    // overwrite question (which concerns the chosen name) stays as the dialog asks it.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QString StandardDialogs::ChooseBlackReference(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("zel"));
    dialog.setNameFilters({QStringLiteral("Zelf File (*.zel)"), QStringLiteral("All Files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QString StandardDialogs::ChooseCsvName(QWidget* parent, const QString& proposedPath) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilter(QStringLiteral("CSV Files (*.csv)"));
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

ExportChoice StandardDialogs::ChooseExportFile(QWidget* parent, const QString& proposedPath) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    const QString csv = QStringLiteral("CSV Files (*.csv)");
    const QString table = QCoreApplication::translate("StandardDialogs", "Table for analysis tools, a row per frame (*.csv)");
    dialog.setNameFilters({csv, table});
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().front(), dialog.selectedNameFilter() == table};
}

std::optional<zel::Calibration> StandardDialogs::ChooseCalibration(QWidget* parent, const zel::Calibration& current) {
    CCalibrationDlg dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}

std::optional<VideoExportRequest> StandardDialogs::ChooseVideoExport(QWidget* parent, const VideoExportOffer& offer) {
#ifdef ZEL_VIDEO
    CVideoExportDlg dialog(offer.proposedPath, offer.calibrated, offer.rateKnown, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
#else
    (void)parent;
    (void)offer;
    return std::nullopt;
#endif
}

void StandardDialogs::ShowAbout(QWidget* parent) {
    CAboutDlg dialog(parent);
    dialog.exec();
}

void StandardDialogs::ShowPageSetup(QWidget* parent) {
    QPrinter printer;
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

}  // namespace zel::gui
