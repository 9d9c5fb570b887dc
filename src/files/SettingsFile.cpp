#include "files/SettingsFile.h"

#include "common/BrevolanError.h"
#include "files/SettingsFileReader.h"
#include "files/SettingsFileWriter.h"
#include "model/ParameterModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace brevolan {

namespace {

QString fullPath(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

BrevolanError cannotOpen(const QString &path, const QString &reason)
{
    return BrevolanError(QStringLiteral("Cannot open file \"%1\". %2").arg(fullPath(path), reason));
}

BrevolanError cannotCreate(const QString &path, const QString &reason)
{
    return BrevolanError(QStringLiteral("Cannot create file \"%1\". %2").arg(fullPath(path), reason));
}

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

QByteArray readSettingsFileBytes(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw cannotOpen(path, systemReason(EISDIR));
    // A FIFO or a device would block the window or never end: a settings
    // file is always a regular file.
    if (info.exists() && !info.isFile())
        throw cannotOpen(path, QStringLiteral("It is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(path, file.errorString());
    // Read one byte past the limit rather than trusting size(): devices and
    // pipes report no size and may never end.
    QByteArray bytes = file.read(MaxSettingsFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw cannotOpen(path, file.errorString());
    if (bytes.size() > MaxSettingsFileSize)
        throw cannotOpen(path, QStringLiteral("The file is larger than 1 MiB; an RDS settings file is "
                                              "less than a kilobyte"));
    return bytes;
}

void LoadSettingsFile(ParameterModel &model, const QString &path)
{
    applySettingsFile(model, readSettingsFileBytes(path));
}

void applySettingsFile(ParameterModel &model, const QByteArray &bytes)
{
    const SettingsFileReader file(bytes);

    model.setText(Param::PI, file.text(Param::PI));
    // The call letters follow the new PI in either mode. A PI that is not
    // hexadecimal stops the load here, every later field left as it was.
    model.convertPiToCall();

    for (const Param p : {Param::PTY, Param::MS, Param::TA, Param::PARSE, Param::DPSS, Param::DRTS,
                          Param::TP, Param::DI, Param::ECHO})
        model.setIndex(p, file.index(p));
    for (const Param p : {Param::DPS, Param::TEXT, Param::PS})
        model.setText(p, file.text(p));
    for (const Param p : {Param::AF1, Param::AF2, Param::AF3, Param::AF4, Param::AF5, Param::AF6,
                          Param::AF7, Param::AF8, Param::AF9, Param::SPEED})
        model.setIndex(p, file.index(p));
}

void SaveSettingsFile(const ParameterModel &model, const QString &path)
{
    // Refuse before touching the file: a character that Latin-1 cannot hold
    // would come back as something else, and a line break would split a line.
    if (const auto bad = firstUnstorableCharacter(model.values()))
        throw BrevolanError(QStringLiteral("Cannot save file \"%1\". %2")
                                .arg(fullPath(path), describeUnstorable(*bad)));

    const QByteArray bytes = settingsFileText(model.values());
    // QSaveFile writes beside the target and renames over it only when
    // everything was written, so a failed save leaves the old file as it was.
    // Unbuffered, so that a short write shows in write()'s result: QSaveFile
    // 6.4 commits a file whose buffered flush failed part way (a full disk, a
    // file-size limit) as if all had been written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw cannotCreate(path, file.errorString());
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        throw BrevolanError(QStringLiteral("Stream write error"));
    }
    if (!file.commit())
        throw BrevolanError(QStringLiteral("Stream write error"));
}

} // namespace brevolan
