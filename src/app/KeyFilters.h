#pragma once
// Which typed characters the PI code and call-letter fields accept.

class QKeyEvent;
class QChar;

namespace brevolan {

// Backspace, 0-9, A-F and a-f.
bool piKeyAccepted(QChar c);
// Backspace, A-Z and a-z.
bool callKeyAccepted(QChar c);

// Whether a key press types a character that a key filter judges. Keys that
// type nothing (arrows, Home, Delete), focus moves (Tab, Backtab) and
// shortcuts held with Ctrl, Alt or Meta (copy, paste, undo, menu keys) pass
// unjudged; Return, Escape and other control characters are judged.
bool typesCharacter(const QKeyEvent &event);

} // namespace brevolan
