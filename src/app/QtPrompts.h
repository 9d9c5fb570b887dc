#pragma once
// Prompts shown with QMessageBox and QFileDialog, the production side of the
// seam through which the logic asks the user anything.

#include "common/Prompts.h"

class QWidget;

namespace brevolan {

class QtPrompts : public Prompts {
public:
    // Boxes are parented to the application's active window, or to the
    // fallback window when none is active (the main window at start-up).
    void setFallbackParent(QWidget *parent) { m_fallbackParent = parent; }

    void error(const QString &text) override;
    void information(const QString &text) override;
    void plain(const QString &text) override;
    bool confirm(const QString &text) override;
    QString openFileName(const FileDialogOptions &options) override;
    QString saveFileName(const FileDialogOptions &options) override;

private:
    QWidget *parent() const;

    QWidget *m_fallbackParent = nullptr;
};

} // namespace brevolan
