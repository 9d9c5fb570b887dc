#include "app/LimitedEdit.h"

#include <QSignalBlocker>
#include <algorithm>

namespace brevolan {

LimitedText limitTyping(const QString &before, const QString &edited, int cursor, int limit)
{
    if (limit <= 0 || edited.size() <= limit || edited.size() <= before.size())
        return {edited, cursor};

    // The edit replaced before[prefix, before.size() - suffix) with
    // edited[prefix, edited.size() - suffix).
    const qsizetype shorter = std::min(before.size(), edited.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == edited[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix
           && before[before.size() - 1 - suffix] == edited[edited.size() - 1 - suffix])
        ++suffix;

    const qsizetype kept = prefix + suffix;
    const qsizetype room = std::max<qsizetype>(0, limit - kept);
    const qsizetype inserted = std::min(room, edited.size() - prefix - suffix);
    LimitedText out;
    out.text = edited.left(prefix + inserted) + edited.right(suffix);
    out.cursor = int(prefix + inserted);
    return out;
}

LimitedEdit::LimitedEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &LimitedEdit::onTextEdited);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { m_before = text; });
}

void LimitedEdit::setProgramText(const QString &text)
{
    if (text != this->text())
        setText(text);
}

void LimitedEdit::onTextEdited(const QString &edited)
{
    LimitedText result = limitTyping(m_before, edited, cursorPosition(), m_limit);
    if (m_upper)
        result.text = result.text.toUpper();
    if (result.text != edited) {
        const QSignalBlocker blocker(this);
        setText(result.text);
        setCursorPosition(result.cursor);
        m_before = result.text;
    }
    emit userEdited(result.text);
}

} // namespace brevolan
