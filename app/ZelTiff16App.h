#pragma once
// CZelTiff16App: the application object. It keeps the settings, the recent-file list and
// the one piece of state passed from the open-file dialog to the document's open (whether
// to apply correction), creates the main window and opens movies.

#include <QObject>
#include <QSettings>
#include <QStringList>
#include <memory>

#include "app/UserDialogs.h"

namespace zel::gui {

class CMainFrame;
class TerminationWatch;

class CZelTiff16App : public QObject {
    Q_OBJECT
public:
    // uiLanguage: 0 the system's language, 1 English, 2 Japanese (chosen before start-up).
    CZelTiff16App(std::unique_ptr<UserDialogs> dialogs, int language = 0);
    ~CZelTiff16App() override;

    // Creates the main window, restores its placement, opens the movies named (with
    // correction) and shows the window. false when the window cannot be made.
    bool InitInstance(const QStringList& moviePaths);

    // The open command: the open-file dialog, then the open with the dialog's choice.
    void OnFileOpenWithDialog();
    // Opens a movie in a new document window, or activates the window already showing it.
    // A rejected file leaves no window and its reason in the status bar.
    bool OpenDocumentFile(const QString& path, bool applyCorrection);
    void OnAppAbout();

    QStringList RecentFiles() const;
    void AddRecentFile(const QString& path);

    CMainFrame* MainFrame() const { return mainFrame_.get(); }
    QSettings& Settings() { return settings_; }
    UserDialogs& Dialogs() { return *dialogs_; }

    const int uiLanguage;
    int pendingCorrection = 1;

private:
    QSettings settings_;
    std::unique_ptr<UserDialogs> dialogs_;
    std::unique_ptr<CMainFrame> mainFrame_;
    // Declared last: it stops watching for termination requests before the window goes.
    std::unique_ptr<TerminationWatch> termination_;
};

}  // namespace zel::gui
