// Any bytes as a settings file: the reader must neither crash nor hang, and
// whatever it loads must come back unchanged through Save and Open.

#include "common/BrevolanError.h"
#include "files/SettingsFile.h"
#include "files/SettingsFileWriter.h"
#include "model/ParameterModel.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace brevolan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    ParameterModel loaded;
    try {
        applySettingsFile(loaded, bytes);
    } catch (const BrevolanError &) {
        return 0;   // a PI that is not hexadecimal stops the load
    }

    // Texts read from Latin-1 lines hold no character the writer refuses.
    if (firstUnstorableCharacter(loaded.values())) {
        std::fputs("loaded a text the writer cannot store\n", stderr);
        std::abort();
    }
    ParameterModel reloaded;
    applySettingsFile(reloaded, settingsFileText(loaded.values()));
    if (!(reloaded.values() == loaded.values()) || reloaded.callLetters() != loaded.callLetters()) {
        std::fputs("save and open changed the parameters\n", stderr);
        std::abort();
    }
    return 0;
}
