#pragma once
// The two preferences that outlive a run, DevID and RDSMode, in the per-user
// store (QSettings "Tarvenix"/"ostrel9": the registry key
// Software\Tarvenix\ostrel9 on Windows, ~/.config/Tarvenix/ostrel9.conf on
// Linux). Every access opens the store afresh; nothing is cached.

#include <QString>

namespace brevolan {

class Preferences {
public:
    virtual ~Preferences() = default;
    virtual QString readDevId() const;
    virtual int readRdsMode() const;
    // Throw BrevolanError when the store cannot be written.
    virtual void writeDevId(const QString &devId);
    virtual void writeRdsMode(int mode);
};

} // namespace brevolan
