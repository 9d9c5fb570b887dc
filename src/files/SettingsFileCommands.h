#pragma once
// File > Open, Save and Save As: the dialogs OD and SD (through the Prompts
// seam), CurrentFileName and the caption " - [" + file name + "]".

#include "common/Prompts.h"

#include <QString>
#include <functional>

namespace brevolan {

class ParameterModel;

class SettingsFileCommands {
public:
    SettingsFileCommands(ParameterModel &model, Prompts &prompts, const QString &baseCaption);

    // Each throws what LoadSettingsFile/SaveSettingsFile throw; the caller's
    // handler guard shows it. A cancelled dialog changes nothing.
    void miOpenClick();
    void miSaveClick();
    void miSaveAsClick();

    QString currentFileName() const { return m_currentFileName; }
    QString baseCaption() const { return m_baseCaption; }
    QString caption() const { return m_caption; }
    // Called whenever the caption changes (the window sets its title).
    std::function<void(const QString &)> onCaptionChanged;

private:
    void chooseFile(const QString &path);   // CurrentFileName and caption

    ParameterModel &m_model;
    Prompts &m_prompts;
    QString m_baseCaption;
    QString m_caption;
    QString m_currentFileName;
    QString m_odLastName;   // each dialog starts with the name it returned last
    QString m_sdLastName;
};

} // namespace brevolan
