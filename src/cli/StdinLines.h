#pragma once
// Lines from standard input, one update each, read as they come without
// blocking the event loop. At the end of input a last line without its line
// end still counts.

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

namespace brevolan::cli {

class StdinLines : public QObject {
    Q_OBJECT
public:
    explicit StdinLines(int fd = 0, QObject *parent = nullptr);

signals:
    void lineRead(const QString &line);
    void ended();

private:
    void readAvailable();

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_partial;
};

} // namespace brevolan::cli
