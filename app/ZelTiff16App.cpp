#include "app/ZelTiff16App.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

#include "app/ChildFrame.h"
#include "app/CalibrationStore.h"
#include "app/MainFrame.h"
#include "app/TerminationWatch.h"
#include "app/WindowPlacementQt.h"
#include "document/ZelfDoc.h"
#include "view/NativePath.h"
#include "view/ProblemText.h"

namespace zel::gui {

namespace {

constexpr int kRecentFiles = 10;
const QString kRecentSection = QStringLiteral("Recent File List");

}  // namespace

CZelTiff16App::CZelTiff16App(std::unique_ptr<UserDialogs> dialogs, int language)
    : uiLanguage(language), settings_(QStringLiteral("orv"), QStringLiteral("ZelTiff16")), dialogs_(std::move(dialogs)) {}

CZelTiff16App::~CZelTiff16App() = default;

bool CZelTiff16App::InitInstance(const QStringList& moviePaths) {
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    termination_ = std::make_unique<TerminationWatch>();
    connect(termination_.get(), &TerminationWatch::Requested, mainFrame_.get(), &CMainFrame::OnTerminationRequested);
    const int showCommand = RestoreWindowPlacement(*mainFrame_, settings_);
    for (const QString& path : moviePaths) OpenDocumentFile(path, true);
    if (showCommand == 3)
        mainFrame_->showMaximized();
    else if (showCommand == 2)
        mainFrame_->showMinimized();
    else
        mainFrame_->show();
    return true;
}

void CZelTiff16App::OnFileOpenWithDialog() {
    const std::optional<MovieChoice> choice = dialogs_->ChooseMovie(mainFrame_.get());
    if (!choice) return;
    pendingCorrection = choice->applyCorrection ? 1 : 0;
    OpenDocumentFile(choice->path, pendingCorrection != 0);
}

bool CZelTiff16App::OpenDocumentFile(const QString& path, bool applyCorrection) {
    // The choice is used once: opens from anywhere else apply correction.
    pendingCorrection = 1;
    const std::string file = CorePath(path);
    const QString canonical = CanonicalPathOf(file);
    if (CChildFrame* open = mainFrame_->FindDocumentWindow(canonical); open != nullptr && !canonical.isEmpty()) {
        open->ActivateFrame();
        return true;
    }
    auto doc = std::make_shared<CZelfDoc>();
    if (!doc->OpenMovie(file, applyCorrection)) {
        // The whole reason, with the file's full name, where it stays until dismissed.
        mainFrame_->ReportFailure(
            tr("Cannot open %1: %2").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                                          ProblemText(doc->LastOpenFailure())));
        return false;
    }
    if (!doc->reader()->CorrectionNote().empty())
        mainFrame_->ReportFailure(tr("%1: opened without correction: %2")
                                      .arg(QFileInfo(path).fileName(),
                                           QString::fromStdString(doc->reader()->CorrectionNote())));
    doc->UseTopDownDisplay();  // drawn without a flip
    doc->UseXrgbDisplay();     // copied to the screen as it stands, not converted pixel by pixel
    doc->SetDecodeAhead(true);  // playback decodes the next frame while this one is painted
    doc->SetPixelCalibration(StoredCalibration(settings_, canonical));
    mainFrame_->AddDocumentWindow(doc);
    AddRecentFile(QFileInfo(path).absoluteFilePath());
    return true;
}

void CZelTiff16App::OnAppAbout() { dialogs_->ShowAbout(mainFrame_.get()); }

QStringList CZelTiff16App::RecentFiles() const {
    QStringList files;
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString file = settings_.value(kRecentSection + QStringLiteral("/File%1").arg(i)).toString();
        if (!file.isEmpty()) files << file;
    }
    return files;
}

void CZelTiff16App::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString key = kRecentSection + QStringLiteral("/File%1").arg(i);
        if (i <= files.size())
            settings_.setValue(key, files[i - 1]);
        else
            settings_.remove(key);
    }
    if (mainFrame_) mainFrame_->RefreshRecentFiles();
}

}  // namespace zel::gui
