#pragma once
// Turns the termination requests the system sends the program (SIGINT, SIGTERM) into a
// Qt signal on the GUI thread, where the window can stop its run at a frame boundary,
// save its settings and close.

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace zel::platform {
class TerminationPipe;
}

namespace zel::gui {

class TerminationWatch : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatch(QObject* parent = nullptr);
    ~TerminationWatch() override;

signals:
    // The signal number (SIGINT 2, SIGTERM 15).
    void Requested(int signal);

private:
    std::unique_ptr<platform::TerminationPipe> pipe_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zel::gui
