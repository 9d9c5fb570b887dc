#pragma once
// Errors raised inside a handler carry the message the application's error
// box shows. They end the handler after its clean-up has run; the one guard
// around every event handler turns them into the box.

#include <QString>
#include <stdexcept>

namespace brevolan {

class BrevolanError : public std::runtime_error {
public:
    explicit BrevolanError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

// Raised by the serial component (TXComm) with one of its fixed texts.
class EDeviceError : public BrevolanError {
public:
    using BrevolanError::BrevolanError;
};

// "'%s' is not a valid integer value", the text that failed to parse in place of %s.
inline BrevolanError invalidIntegerError(const QString &text)
{
    return BrevolanError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

// The message every failed exchange with the encoder ends with.
inline QString communicationsErrorText()
{
    return QStringLiteral("Brevolan 4 - Communications Error.");
}

// The error box appends a full stop unless the message's last character is a
// full stop or sorts before it.
inline QString withFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back() <= QLatin1Char('.'))
        return message;
    return message + QLatin1Char('.');
}

} // namespace brevolan
