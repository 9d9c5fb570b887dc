#pragma once
// SIGINT and SIGTERM for a companion command that runs an event loop. The
// handler does only what is safe in a signal handler: it marks the run as
// terminating (a wait for the encoder in progress ends at once) and writes
// the signal's number into a pipe, whose reading end wakes the event loop.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace brevolan::cli {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; they stay for the rest of the process.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool isValid() const { return m_notifier != nullptr; }

signals:
    // "SIGINT" or "SIGTERM"
    void received(const QString &name);

private:
    void readPipe();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace brevolan::cli
