#pragma once
// The encoder's command protocol on an open link: one command, then its
// reply; nothing is pipelined. Replies are CR-separated lines closed by a line
// "OK"; with the encoder's echo on, a reply begins with the command repeated.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace brevolan {

class DeviceConnection;
class ParameterModel;

// Timeouts of the encoder's exchanges, in milliseconds.
namespace timeouts {
inline constexpr int Parameter = 1000;   // each query and each set
inline constexpr int Save = 5000;        // "SAVE": the encoder writes its flash first
inline constexpr int Drain = 200;
inline constexpr int Revision = 1000;
} // namespace timeouts

// The reply split into lines at CR, each trimmed of codes up to 32 at both
// ends, empty lines dropped (so CR LF reads like CR, and line ends left over
// from the previous reply vanish).
QStringList replyLines(const QByteArray &reply);

// The value line of a query reply: the second-to-last line, when the last one
// is exactly "OK" and there are at least minimumLines lines; nothing otherwise.
std::optional<QString> valueLineOf(const QByteArray &reply, int minimumLines);

class Protocol {
public:
    // The model's ECHO field tells whether the encoder repeats each command.
    Protocol(DeviceConnection &link, const ParameterModel &model);

    // Asks for one parameter; empty text when the reply is missing or
    // malformed. Never raises on a bad reply (the transport's errors pass).
    // echoAware: with ECHO on, an empty value gives just the echoed command
    // and "OK", so three lines are required instead of two.
    QString QueryParameter(const QByteArray &key, bool echoAware);
    // As QueryParameter, but tells a reply without "OK" in time (nothing)
    // apart from an empty or malformed one (empty text).
    std::optional<QString> queryValue(const QByteArray &key, bool echoAware);

    // Sends commandLine + CR; unless noWait, waits up to timeoutMs for "OK"
    // and raises the communications error when none comes.
    void SetParameter(const QByteArray &commandLine, int timeoutMs, bool noWait = false);

    // Swallows whatever the encoder still says after the handshake: waits the
    // full drain time for a word the encoder never sends.
    void DrainInput();

private:
    DeviceConnection &m_link;
    const ParameterModel &m_model;
};

} // namespace brevolan
