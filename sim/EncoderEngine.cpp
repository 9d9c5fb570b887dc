// The encoder protocol engine.
#include "sim/EncoderEngine.h"

#include <QMutexLocker>
#include <QRandomGenerator>

namespace brevolan::sim {

namespace {

// A command longer than this is line noise: the encoder drops it and
// rejects it when its CR comes.
constexpr int MaxCommandLength = 1024;
// The command log keeps the most recent entries only, so that a simulator
// left running for days does not grow without bound.
constexpr int MaxLogEntries = 100000;

const QMap<QByteArray, QByteArray> &factoryValues()
{
    static const QMap<QByteArray, QByteArray> values = [] {
        QMap<QByteArray, QByteArray> v{
            {"PI", "FFFF"}, {"PTY", "0"}, {"MS", "1"}, {"TA", "0"}, {"PARSE", "0"},
            {"DPSS", "0"}, {"DRTS", "0"}, {"TP", "0"}, {"DI", "0"}, {"ECHO", "1"},
            {"DPS", ""}, {"TEXT", ""}, {"PS", "BREVOLAN"}, {"SPEED", "9600"}};
        for (int i = 1; i <= 9; ++i)
            v.insert("AF" + QByteArray::number(i), "0");
        return v;
    }();
    return values;
}

} // namespace

EncoderEngine::EncoderEngine()
{
    resetLocked();
    m_stored = m_values;
}

const QList<QByteArray> &EncoderEngine::keys()
{
    static const QList<QByteArray> k{"PI", "PTY", "MS", "TA", "PARSE", "DPSS", "DRTS", "TP",
                                     "DI", "ECHO", "DPS", "TEXT", "PS", "AF1", "AF2", "AF3",
                                     "AF4", "AF5", "AF6", "AF7", "AF8", "AF9", "SPEED"};
    return k;
}

QByteArray EncoderEngine::factoryValue(const QByteArray &key)
{
    return factoryValues().value(key);
}

bool EncoderEngine::isSupportedSpeed(quint32 baud)
{
    switch (baud) {
    case 1200: case 2400: case 4800: case 9600: case 19200: case 38400: case 57600: case 115200:
        return true;
    default:
        return false;
    }
}

QByteArray EncoderEngine::noiseBytes(int n)
{
    // No upper-case letters and no '=': noise can never read as "OK", "NO"
    // or "REV=", however the bytes fall.
    static const QByteArray alphabet = "abcdefghijlmpqrstuvwxyz0123456789 #*+-./:\r";
    QByteArray out;
    out.reserve(qMax(0, n));
    auto *rng = QRandomGenerator::global();
    for (int i = 0; i < n; ++i)
        out.append(alphabet.at(int(rng->bounded(quint32(alphabet.size())))));
    return out;
}

QByteArray EncoderEngine::garble(const QByteArray &bytes)
{
    // At the wrong baud rate a receiver samples framing errors and bits of
    // neighbouring bytes; the high bit set keeps every result out of ASCII,
    // so neither a CR nor a reply's letters survive.
    QByteArray out(bytes);
    for (char &c : out)
        c = char((quint8(c) * 7 + 0x35) | 0x80);
    return out;
}

void EncoderEngine::resetLocked()
{
    m_values = factoryValues();
    m_lineSpeed = 9600;
    m_bareCrCount = 0;
}

void EncoderEngine::reset()
{
    QMutexLocker lock(&m_mutex);
    resetLocked();
}

QByteArray EncoderEngine::feed(const QByteArray &bytes)
{
    QByteArray out;
    for (const EncoderReply &r : feedReplies(bytes))
        out += r.bytes;
    return out;
}

QList<EncoderReply> EncoderEngine::feedReplies(const QByteArray &bytes)
{
    QMutexLocker lock(&m_mutex);
    QList<EncoderReply> replies;
    for (char c : bytes) {
        if (m_unplugged)
            break;
        if (c == '\r') {
            replies += execute(m_line, m_overflow);
            m_line.clear();
            m_overflow = false;
            continue;
        }
        // Line feeds and NULs are not part of any command (a terminal or a
        // CR LF sender adds them); the encoder skips them.
        if (c == '\n' || c == '\0')
            continue;
        if (m_line.size() >= MaxCommandLength)
            m_overflow = true;
        else
            m_line.append(c);
    }
    return replies;
}

QList<EncoderReply> EncoderEngine::execute(const QByteArray &command, bool overflowed)
{
    m_log.append(command);
    if (m_log.size() > MaxLogEntries)
        m_log.remove(0, m_log.size() - MaxLogEntries);
    ++m_commandCount;
    if (m_faults.unplugAfterCommands >= 0 && m_commandCount >= m_faults.unplugAfterCommands)
        m_unplugged = true;   // this command is the last one answered
    if (m_faults.silent)
        return {};

    const bool echoOn = m_values.value("ECHO") == "1";
    const quint32 speedBefore = m_lineSpeed;
    QByteArray body;
    auto line = [&](const QByteArray &text) { body += text + m_eol; };

    if (overflowed) {
        // Longer than any command: line noise, rejected as a whole (a prefix
        // of it must not pass for a command).
        line("NO");
    } else if (command.isEmpty()) {
        ++m_bareCrCount;
        if (!m_faults.noHandshake && m_bareCrCount >= m_faults.handshakeFromCr)
            line("NO");
    } else if (command == "SAVE") {
        if (!m_faults.saveUnanswered && m_faults.neverOkKey != "SAVE") {
            m_stored = m_values;
            ++m_saveCount;
            line("OK");
        }
    } else if (command == "INIT") {
        resetLocked();   // no answer; the line now runs at 9600
    } else if (command == "REV") {
        if (m_faults.neverOkKey != "REV")
            line("REV=" + m_revision);
    } else if (command.endsWith('?') && keys().contains(command.chopped(1))) {
        const QByteArray key = command.chopped(1);
        if (key != m_faults.neverOkKey) {
            line(m_values.value(key));
            line("OK");
        }
    } else if (const int eq = command.indexOf('='); eq > 0 && keys().contains(command.left(eq))) {
        const QByteArray key = command.left(eq);
        const QByteArray value = command.mid(eq + 1);
        bool isNumber = false;
        const quint32 speed = value.toUInt(&isNumber);
        if (key == m_faults.neverOkKey) {
            // swallowed: neither stored nor answered
        } else if (key == "SPEED" && (!isNumber || !isSupportedSpeed(speed))) {
            line("NO");   // the encoder cannot run at that speed
        } else {
            m_values.insert(key, value);
            if (key == "SPEED")
                m_lineSpeed = speed;
            line("OK");
        }
    } else {
        line("NO");
    }

    if (m_faults.noise) {
        // The noise drowns every reply but the handshake's and then keeps
        // flowing: the transport pours it out while noisy() holds.
        m_noisy = true;
        if (!command.isEmpty())
            body.clear();
    }
    if (body.isEmpty() && m_lineSpeed == speedBefore)
        return {};
    EncoderReply reply;
    reply.delayMs = qMax(0, m_faults.replyDelayMs);
    reply.lineSpeed = speedBefore;      // SPEED=n's "OK" still leaves at the old speed
    reply.speedAfter = m_lineSpeed;
    if (!body.isEmpty())
        reply.bytes = echoOn ? command + m_eol + body : body;
    return {reply};
}

void EncoderEngine::setFaults(const EncoderFaults &f)
{
    QMutexLocker lock(&m_mutex);
    m_faults = f;
    m_noisy = false;
    m_commandCount = 0;
    m_bareCrCount = 0;
    m_unplugged = f.unplugAfterCommands == 0;
}

EncoderFaults EncoderEngine::faults() const
{
    QMutexLocker lock(&m_mutex);
    return m_faults;
}

void EncoderEngine::setValue(const QByteArray &key, const QByteArray &value)
{
    QMutexLocker lock(&m_mutex);
    m_values.insert(key, value);
    if (key == "SPEED" && isSupportedSpeed(value.toUInt()))
        m_lineSpeed = value.toUInt();
}

QByteArray EncoderEngine::value(const QByteArray &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(key);
}

QByteArray EncoderEngine::storedValue(const QByteArray &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_stored.value(key);
}

bool EncoderEngine::echo() const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value("ECHO") == "1";
}

quint32 EncoderEngine::lineSpeed() const
{
    QMutexLocker lock(&m_mutex);
    return m_lineSpeed;
}

void EncoderEngine::setLineEnding(const QByteArray &eol)
{
    QMutexLocker lock(&m_mutex);
    m_eol = eol;
}

void EncoderEngine::setRevision(const QByteArray &rev)
{
    QMutexLocker lock(&m_mutex);
    m_revision = rev;
}

QList<QByteArray> EncoderEngine::commandLog() const
{
    QMutexLocker lock(&m_mutex);
    return m_log;
}

int EncoderEngine::saveCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_saveCount;
}

bool EncoderEngine::unplugged() const
{
    QMutexLocker lock(&m_mutex);
    return m_unplugged;
}

bool EncoderEngine::noisy() const
{
    QMutexLocker lock(&m_mutex);
    return m_noisy;
}

} // namespace brevolan::sim
