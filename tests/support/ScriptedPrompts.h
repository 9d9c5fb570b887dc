#pragma once
// Prompts answered in advance: every box and dialog is recorded, confirmations
// and file dialogs take their answers from queues (No and Cancel when empty).

#include "common/Prompts.h"

#include <QQueue>
#include <functional>
#include <QStringList>

namespace brevolan::test {

class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        QString kind;   // "error", "information", "plain", "confirm", "open", "save"
        QString text;
    };

    void error(const QString &text) override { shown << Shown{QStringLiteral("error"), text}; }
    void information(const QString &text) override
    {
        shown << Shown{QStringLiteral("information"), text};
        if (onInformation) onInformation(text);
    }
    void plain(const QString &text) override { shown << Shown{QStringLiteral("plain"), text}; }
    bool confirm(const QString &text) override
    {
        shown << Shown{QStringLiteral("confirm"), text};
        return !confirmAnswers.isEmpty() && confirmAnswers.dequeue();
    }
    QString openFileName(const FileDialogOptions &options) override
    {
        shown << Shown{QStringLiteral("open"), options.initialName};
        lastOptions = options;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    QString saveFileName(const FileDialogOptions &options) override
    {
        shown << Shown{QStringLiteral("save"), options.initialName};
        lastOptions = options;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }

    QStringList texts(const QString &kind) const
    {
        QStringList out;
        for (const Shown &s : shown)
            if (s.kind == kind) out << s.text;
        return out;
    }

    QList<Shown> shown;
    QQueue<bool> confirmAnswers;
    QQueue<QString> fileAnswers;
    FileDialogOptions lastOptions;
    // Runs while the "Done." box would be open (the link is still open then).
    std::function<void(const QString &)> onInformation;
};

} // namespace brevolan::test
