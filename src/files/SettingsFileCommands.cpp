#include "files/SettingsFileCommands.h"

#include "files/SettingsFile.h"

#include <QFileInfo>

namespace brevolan {

namespace {

FileDialogOptions dialogOptions(const QString &lastName)
{
    FileDialogOptions options;
    options.filter = QStringLiteral("RDS settings (*.bvx);;All files (*)");
    options.defaultSuffix = QStringLiteral("bvx");
    options.initialName = lastName;
    return options;
}

} // namespace

SettingsFileCommands::SettingsFileCommands(ParameterModel &model, Prompts &prompts,
                                           const QString &baseCaption)
    : m_model(model), m_prompts(prompts), m_baseCaption(baseCaption), m_caption(baseCaption)
{
}

void SettingsFileCommands::miOpenClick()
{
    const QString path = m_prompts.openFileName(dialogOptions(m_odLastName));
    if (path.isEmpty())
        return;
    m_odLastName = path;
    // Name the file before loading it, so the title names it even when the load fails.
    chooseFile(path);
    LoadSettingsFile(m_model, m_currentFileName);
}

void SettingsFileCommands::miSaveClick()
{
    if (m_currentFileName.isEmpty()) {
        miSaveAsClick();
        return;
    }
    SaveSettingsFile(m_model, m_currentFileName);
}

void SettingsFileCommands::miSaveAsClick()
{
    const QString path = m_prompts.saveFileName(dialogOptions(m_sdLastName));
    if (path.isEmpty())
        return;
    m_sdLastName = path;
    chooseFile(path);
    SaveSettingsFile(m_model, m_currentFileName);
}

void SettingsFileCommands::chooseFile(const QString &path)
{
    m_currentFileName = path;
    m_caption = m_baseCaption + QStringLiteral(" - [") + QFileInfo(path).fileName() + QStringLiteral("]");
    if (onCaptionChanged)
        onCaptionChanged(m_caption);
}

} // namespace brevolan
