#pragma once
// The one seam through which the logic asks the user anything: message boxes
// and file dialogs. The window installs a QMessageBox/QFileDialog prompter;
// tests install ScriptedPrompts (tests/support) and answer in advance.

#include <QString>

namespace brevolan {

struct FileDialogOptions {
    QString filter;           // "RDS settings (*.bvx);;All files (*)"
    QString defaultSuffix;    // "bvx"
    QString initialName;      // the name the dialog returned last time
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // The application's error box: caption "Brevolan 4", error icon, OK.
    // The full-stop rule is applied by the caller (withFullStop).
    virtual void error(const QString &text) = 0;
    // Information box with one OK button ("Done.").
    virtual void information(const QString &text) = 0;
    // Plain box with the application's title and OK (refused input in a dialog).
    virtual void plain(const QString &text) = 0;
    // Confirmation with Yes and No; true only for Yes.
    virtual bool confirm(const QString &text) = 0;
    // File dialogs; empty result = cancelled.
    virtual QString openFileName(const FileDialogOptions &options) = 0;
    virtual QString saveFileName(const FileDialogOptions &options) = 0;
};

} // namespace brevolan
