#include "cli/RadioTextSender.h"

#include "common/BrevolanError.h"
#include "link/DeviceId.h"
#include "operations/Protocol.h"

#include <exception>

namespace brevolan::cli {

RadioTextSender::RadioTextSender(const QString &devId, QList<Param> keys)
    : m_keys(std::move(keys)), m_link(m_state, m_prompts)
{
    m_state.devId = devId;
}

SendOutcome RadioTextSender::send(const QString &text)
{
    SendOutcome outcome;
    m_prompts.last.clear();
    try {
        if (!m_link.OpenDevice()) {
            outcome.failure = !m_prompts.last.isEmpty()
                                  ? m_prompts.last
                                  : QStringLiteral("Cannot open the USB encoder \"%1\".").arg(usbSerialOf(m_state.devId));
            return outcome;
        }
        Protocol protocol(m_link, m_model);
        protocol.DrainInput();
        for (const Param key : m_keys) {
            const QByteArray line = keyOf(key).toLatin1() + '=' + text.toLatin1();
            protocol.SetParameter(line, timeouts::Parameter);
            // With the echo on, a text holding the letters OK ("OK Computer")
            // ends the wait at the echoed command; the encoder's own "OK" is
            // still on its way and would otherwise answer the next key.
            if (line.contains("OK"))
                protocol.DrainInput();
        }
        m_link.CloseDevice();
        outcome.sent = true;
    } catch (const std::exception &e) {
        const auto *brevolan = dynamic_cast<const BrevolanError *>(&e);
        outcome.failure = withFullStop(brevolan ? brevolan->message() : QString::fromLocal8Bit(e.what()));
        // The handshake may fail after the port was opened.
        try {
            m_link.CloseDevice();
        } catch (...) {
        }
    }
    return outcome;
}

} // namespace brevolan::cli
