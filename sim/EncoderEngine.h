#pragma once
// The encoder's protocol engine: bytes in, bytes out, no I/O of its own.
// PtyEncoder serves it on a pseudo-terminal, SimulatedFtdiBus on a simulated
// FTDI device; tests may feed it directly.
//
// The encoder answers
//   CR alone          "NO"                 (the handshake)
//   KEY?              value line, "OK"
//   KEY=value         "OK"                 (value kept as raw bytes)
//   SAVE              "OK"                 (current values stored)
//   INIT              nothing              (factory values, 9600 baud)
//   REV               "REV=" + revision
//   SPEED=n           "OK", then the line runs at n baud
// and anything else with "NO" (a rejection is a reply without "OK"). With
// ECHO=1 every reply begins with a line repeating the command. Lines end in
// CR, or CR LF after setLineEnding("\r\n").

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>

namespace brevolan::sim {

struct EncoderFaults {
    bool silent = false;               // answers nothing at all
    bool noHandshake = false;          // never answers a bare CR
    int handshakeFromCr = 1;           // answers "NO" only from the Nth bare CR on (counted since the last INIT/start/setFaults)
    QByteArray neverOkKey;             // never "OK" for this key (its set or query gets no reply; also "SAVE", "REV")
    bool saveUnanswered = false;       // no "OK" for SAVE (settings not stored)
    bool noise = false;                // after each command: endless noise (no "OK") until the next command
    int unplugAfterCommands = -1;      // unplugged / hung up after N commands (-1: never)
    int replyDelayMs = 0;              // delay before each reply
};

// One reply as it goes onto the line: wait delayMs after the command, then
// send bytes at lineSpeed baud; afterwards the line runs at speedAfter (it
// differs only for SPEED=n, whose "OK" still leaves at the old speed).
struct EncoderReply {
    QByteArray bytes;
    int delayMs = 0;
    quint32 lineSpeed = 9600;
    quint32 speedAfter = 9600;
};

class EncoderEngine {
public:
    EncoderEngine();

    // Feed received bytes; returns reply bytes produced by completed commands
    // (CR-terminated). Delays and speed changes are the transport's business:
    // feedReplies() gives them.
    QByteArray feed(const QByteArray &bytes);
    // As feed(), one entry per completed command that answers.
    QList<EncoderReply> feedReplies(const QByteArray &bytes);

    // Also restarts the counts the faults go by (commands, bare CRs) and
    // plugs the encoder in again.
    void setFaults(const EncoderFaults &f);
    EncoderFaults faults() const;

    void setValue(const QByteArray &key, const QByteArray &value);
    QByteArray value(const QByteArray &key) const;
    QByteArray storedValue(const QByteArray &key) const;   // as last stored by SAVE
    bool echo() const;                                      // ECHO parameter = "1"
    quint32 lineSpeed() const;                              // 9600 at start and after INIT; follows SPEED=n
    void setLineEnding(const QByteArray &eol);              // "\r" (default) or "\r\n"
    void setRevision(const QByteArray &rev);                // default "1.23"
    QList<QByteArray> commandLog() const;                   // every command received, without its CR (a bare CR is "")
    int saveCount() const;
    bool unplugged() const;                                 // the unplugAfterCommands fault has fired
    void reset();                                           // factory values, as INIT

    // True while the noise fault pours out garbage (from the first command on).
    bool noisy() const;
    // n bytes of line noise: never "OK", "NO" or "REV=", CRs among them.
    static QByteArray noiseBytes(int n);
    // What a byte stream turns into when sender and receiver disagree on the
    // baud rate: every byte becomes a non-ASCII one, so no command completes
    // and no reply is understood.
    static QByteArray garble(const QByteArray &bytes);
    // The 23 keys the encoder knows, in the protocol's order.
    static const QList<QByteArray> &keys();
    // The line speeds SPEED=n accepts.
    static bool isSupportedSpeed(quint32 baud);
    // The factory value of a key (empty for unknown keys).
    static QByteArray factoryValue(const QByteArray &key);

private:
    QList<EncoderReply> execute(const QByteArray &command, bool overflowed);   // mutex held
    void resetLocked();

    mutable QMutex m_mutex;
    QMap<QByteArray, QByteArray> m_values;
    QMap<QByteArray, QByteArray> m_stored;
    EncoderFaults m_faults;
    QByteArray m_line;            // the command being received
    bool m_overflow = false;      // the command being received outgrew the buffer
    QByteArray m_eol = "\r";
    QByteArray m_revision = "1.23";
    QList<QByteArray> m_log;
    int m_saveCount = 0;
    int m_bareCrCount = 0;
    int m_commandCount = 0;
    bool m_unplugged = false;
    bool m_noisy = false;
    quint32 m_lineSpeed = 9600;
};

} // namespace brevolan::sim
