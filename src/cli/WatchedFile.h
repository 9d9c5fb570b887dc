#pragma once
// Follows the first line of a file that another program rewrites.
//
// - Rewriting in place and replacing by rename (write a temporary file, then
//   rename it over the old one) both arrive: the directory is watched as
//   well, and the path is added to the watcher again whenever a new file
//   takes its place. A deleted file is waited for until it comes back.
// - Changes are read after a short settling time, so that a rewrite is not
//   caught between truncation and writing; an empty file counts as such a
//   moment and is not read.
// - The file is also read every few seconds: changes made on another
//   machine over a network share send no notification.
// - lineChanged() only when the first line differs from the last one given.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

namespace brevolan::cli {

class WatchLog;

class WatchedFile : public QObject {
    Q_OBJECT
public:
    WatchedFile(const QString &path, WatchLog &log, QObject *parent = nullptr);

    // Starts watching and reads the file once. False when the folder that
    // should hold the file is missing.
    bool start(QString *error);

    static constexpr int SettleMs = 100;
    static constexpr int PollMs = 5000;

signals:
    void lineChanged(const QString &line);

private:
    void changed();
    void read();
    void rewatch();

    QString m_path;
    QString m_folder;
    WatchLog &m_log;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QTimer m_poll;
    std::optional<QString> m_last;
    bool m_missing = false;
    QString m_problem;   // the last read failure logged
};

} // namespace brevolan::cli
