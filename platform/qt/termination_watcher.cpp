#include "platform/qt/termination_watcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zn {
namespace {

// The one piece of state a signal handler can reach; written once before the
// handler is installed and cleared after it is removed.
volatile sig_atomic_t writeEnd = -1;

void onSignal(int) {
    const char byte = 1;
    if (writeEnd >= 0) [[maybe_unused]]
        auto written = ::write(writeEnd, &byte, 1);
}

}  // namespace

TerminationWatcher::TerminationWatcher(std::function<void()> onTerminate, QObject* parent)
    : QObject(parent), onTerminate_(std::move(onTerminate)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(pipe_[0], buffer, sizeof buffer) > 0) {
        }
        onTerminate_();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
    signal(SIGTERM, SIG_DFL);
    writeEnd = -1;
    for (int end : pipe_)
        if (end >= 0) ::close(end);
}

}  // namespace zn
