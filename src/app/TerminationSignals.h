#pragma once

#include <memory>

#include <QObject>

class QSocketNotifier;

namespace thrumwise {

// Turns SIGINT, SIGTERM and SIGHUP into a signal on the GUI thread, so that
// Ctrl+C in a terminal or a session logout ends the program in order.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace thrumwise
