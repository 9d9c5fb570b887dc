#pragma once
// The "RDS settings" file (.bvx): KEY=value lines ended by CR LF, in the
// canonical parameter order, single-byte text (Latin-1).

#include <QString>

namespace brevolan {

class ParameterModel;

// LoadSettingsFile: reads the file at path into the model. Throws
// BrevolanError: "Cannot open file "%s". %s", or the PI conversion error
// (which stops the load after PI, the later fields left as they were).
void LoadSettingsFile(ParameterModel &model, const QString &path);

// SaveSettingsFile: writes the model's parameters to path, replacing the file
// whole (atomically). Throws BrevolanError: "Cannot create file "%s". %s" or
// "Stream write error".
void SaveSettingsFile(const ParameterModel &model, const QString &path);

} // namespace brevolan
