#include "cli/WatchedFile.h"

#include "cli/NowPlayingText.h"
#include "cli/WatchLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brevolan::cli {

namespace {
// Only the first line counts; a playout system's file is a line or two.
constexpr qint64 ReadLimit = 4096;
} // namespace

WatchedFile::WatchedFile(const QString &path, WatchLog &log, QObject *parent)
    : QObject(parent), m_path(QFileInfo(path).absoluteFilePath()),
      m_folder(QFileInfo(m_path).absolutePath()), m_log(log)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    m_poll.setInterval(PollMs);
    connect(&m_settle, &QTimer::timeout, this, &WatchedFile::read);
    connect(&m_poll, &QTimer::timeout, this, &WatchedFile::read);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &WatchedFile::changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &WatchedFile::changed);
}

bool WatchedFile::start(QString *error)
{
    if (!QFileInfo(m_folder).isDir()) {
        *error = QStringLiteral("the folder %1 does not exist").arg(m_folder);
        return false;
    }
    if (!m_watcher.addPath(m_folder)) {
        *error = QStringLiteral("cannot watch the folder %1").arg(m_folder);
        return false;
    }
    rewatch();
    m_poll.start();
    read();
    return true;
}

void WatchedFile::rewatch()
{
    // A folder removed and made again (a playout system cleaning up) is a
    // new folder as well.
    if (!m_watcher.directories().contains(m_folder) && QFileInfo(m_folder).isDir())
        m_watcher.addPath(m_folder);
    // A file replaced by rename is a new file: the watcher drops the old one.
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

void WatchedFile::changed()
{
    rewatch();
    // The first notification opens the settling time; the ones that follow
    // within it are read together.
    if (!m_settle.isActive())
        m_settle.start();
}

void WatchedFile::read()
{
    rewatch();
    const QFileInfo info(m_path);
    if (!info.exists()) {
        if (!m_missing)
            m_log.line(QStringLiteral("%1 is missing; waiting for it").arg(m_path));
        m_missing = true;
        return;
    }
    if (m_missing)
        m_log.line(QStringLiteral("%1 is back").arg(m_path));
    m_missing = false;
    // Never open what is no plain file: a FIFO would block the watch.
    if (!info.isFile())
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Being replaced this very moment (the next notification reads it),
        // or not readable for us: said once, not every few seconds.
        const QString problem = QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString());
        if (problem != m_problem)
            m_log.line(problem);
        m_problem = problem;
        return;
    }
    m_problem.clear();
    const QByteArray contents = file.read(ReadLimit);
    if (contents.isEmpty())
        return;
    const QString line = firstLineOf(contents);
    if (m_last == line)
        return;
    m_last = line;
    emit lineChanged(line);
}

} // namespace brevolan::cli
