#pragma once
// The "RDS settings" file (.bvx): KEY=value lines ended by CR LF, in the
// canonical parameter order, single-byte text (Latin-1).

#include <QByteArray>
#include <QString>

namespace brevolan {

class ParameterModel;

// A settings file is under a kilobyte; anything over this is refused unread.
inline constexpr qsizetype MaxSettingsFileSize = 1024 * 1024;

// The file's bytes, or "Cannot open file "%s". %s" with the full path and the
// reason (missing, a directory, unreadable, larger than 1 MiB).
QByteArray readSettingsFileBytes(const QString &path);

// LoadSettingsFile: reads the file at path into the model. Throws
// BrevolanError: "Cannot open file "%s". %s", or the PI conversion error
// (which stops the load after PI, the later fields left as they were).
void LoadSettingsFile(ParameterModel &model, const QString &path);

// The steps of LoadSettingsFile after the file was read: PI, the call letters,
// then the other fields in their order. Throws the PI conversion error.
void applySettingsFile(ParameterModel &model, const QByteArray &bytes);

// SaveSettingsFile: writes the model's parameters to path, replacing the file
// whole (atomically). Throws BrevolanError: "Cannot create file "%s". %s" or
// "Stream write error"; "Cannot save file "%s". ..." naming the field and the
// character when a text holds one the file cannot store (nothing is written).
void SaveSettingsFile(const ParameterModel &model, const QString &path);

} // namespace brevolan
