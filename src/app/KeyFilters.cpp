#include "app/KeyFilters.h"

#include <QKeyEvent>

namespace brevolan {

namespace {
constexpr char16_t Backspace = 8;

bool isAsciiLetter(char16_t u) { return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'); }
} // namespace

bool piKeyAccepted(QChar c)
{
    const char16_t u = c.unicode();
    return u == Backspace || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

bool callKeyAccepted(QChar c)
{
    const char16_t u = c.unicode();
    return u == Backspace || isAsciiLetter(u);
}

bool typesCharacter(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return !event.text().isEmpty();
}

} // namespace brevolan
