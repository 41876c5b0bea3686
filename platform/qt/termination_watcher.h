// Turns SIGTERM into a call on the UI thread, through a self-pipe: the signal
// handler only writes one byte, everything else happens in the event loop.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zn {

class TerminationWatcher : public QObject {
public:
    // Only one watcher may exist: the signal handler knows a single pipe.
    explicit TerminationWatcher(std::function<void()> onTerminate, QObject* parent = nullptr);
    ~TerminationWatcher() override;

private:
    std::function<void()> onTerminate_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zn
