#include "app/TerminationWatch.h"

#include <QSocketNotifier>

#include "platform/TerminationPipe.h"

namespace zel::gui {

TerminationWatch::TerminationWatch(QObject* parent)
    : QObject(parent), pipe_(std::make_unique<platform::TerminationPipe>()) {
    if (pipe_->ReadDescriptor() < 0) return;
    notifier_ = new QSocketNotifier(pipe_->ReadDescriptor(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        if (const int signal = pipe_->TakeSignal()) emit Requested(signal);
    });
}

TerminationWatch::~TerminationWatch() {
    delete notifier_;  // stops watching before the pipe closes
    notifier_ = nullptr;
}

}  // namespace zel::gui
