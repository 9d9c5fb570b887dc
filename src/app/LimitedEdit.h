#pragma once
// A single-line edit whose length limit and upper-case conversion apply to
// the user's typing and pasting only. Text the program puts in is shown
// whole: QLineEdit's own maxLength would cut it, so it stays unlimited here.

#include <QLineEdit>

namespace brevolan {

struct LimitedText {
    QString text;
    int cursor = 0;
};

// What an edit from before to edited leaves under a typing limit: like a
// Windows edit's text limit, the inserted part is cut so the text does not
// grow beyond limit; text that was already longer may only shrink. A limit
// of 0 or less means no limit.
LimitedText limitTyping(const QString &before, const QString &edited, int cursor, int limit);

class LimitedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit LimitedEdit(QWidget *parent = nullptr);

    void setTypingLimit(int limit) { m_limit = limit; }
    int typingLimit() const { return m_limit; }
    // Letters typed or pasted are shown upper case.
    void setUpperCase(bool upper) { m_upper = upper; }

    // Puts text in whole, as the program does; emits no userEdited.
    void setProgramText(const QString &text);

signals:
    // The text after an edit by the user, limited and converted.
    void userEdited(const QString &text);

private:
    void onTextEdited(const QString &edited);

    QString m_before;
    int m_limit = 0;
    bool m_upper = false;
};

} // namespace brevolan
