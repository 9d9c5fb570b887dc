#pragma once
// One encoder operation's surroundings for tests: a simulated encoder on a
// pseudo-terminal ("1, /dev/pts/N, 9600") or on the simulated FTDI bus
// ("2, SIM0001"), the model, the link, the real preferences store (in the
// test's private XDG_CONFIG_HOME) and a window stand-in that records
// progress, cursor and status-panel refreshes.

#include "link/D2XXUnit.h"
#include "link/DeviceConnection.h"
#include "link/LinkState.h"
#include "link/Preferences.h"
#include "link/TXComm.h"
#include "model/ParameterModel.h"
#include "operations/EncoderOperations.h"
#include "operations/OperationUi.h"
#include "sim/EncoderEngine.h"
#include "sim/PtyEncoder.h"
#include "sim/SimulatedFtdiBus.h"
#include "support/ScriptedPrompts.h"

#include <QSettings>
#include <QTest>
#include <functional>
#include <memory>

namespace brevolan::test {

enum class Transport { Serial, Usb };

class RecordingUi : public OperationUi {
public:
    void setProgress(int value) override { progress << value; }
    void setBusyCursor(bool busy) override
    {
        cursorDepth += busy ? 1 : -1;
        ++cursorCalls;
    }
    void deviceIdChanged() override { ++deviceIdChanges; }
    void pause(int ms) override
    {
        pauses << ms;
        if (onPause)
            onPause();
        OperationUi::pause(ms);
    }
    int lastProgress() const { return progress.isEmpty() ? -1 : progress.last(); }

    QList<int> progress;
    int cursorDepth = 0;
    int cursorCalls = 0;
    int deviceIdChanges = 0;
    QList<int> pauses;
    // Runs at the start of the pause between the speed switch and the reopen.
    std::function<void()> onPause;
};

inline const QByteArray UsbSerial = QByteArrayLiteral("SIM0001");
inline const QByteArray EncoderDescription = QByteArrayLiteral("Brevolan 4 RDS/RBDS Encoder");

struct OperationRig {
    explicit OperationRig(Transport t, std::shared_ptr<sim::EncoderEngine> e = std::make_shared<sim::EncoderEngine>())
        : transport(t), engine(std::move(e))
    {
        // As after the window's start-up: the USB library raises no boxes.
        FtErrorReport = false;
        if (transport == Transport::Serial) {
            pty = std::make_unique<sim::PtyEncoder>(engine);
            QString error;
            if (!pty->start(&error))
                qFatal("pty simulator: %s", qPrintable(error));
            state.devId = serialDevId(pty->slavePath(), QStringLiteral("9600"));
        } else {
            bus = std::make_unique<sim::SimulatedFtdiBus>();
            bus->attach(UsbSerial, EncoderDescription, engine);
            setFtdiDriver(bus.get());
            state.devId = usbDevId(QString::fromLatin1(UsbSerial));
        }
        link = std::make_unique<DeviceConnection>(state, prompts);
        ops = std::make_unique<EncoderOperations>(model, *link, preferences, prompts, ui);
    }
    ~OperationRig()
    {
        ops.reset();
        link.reset();
        if (bus)
            setFtdiDriver(nullptr);
    }

    // The link is closed again (serial: the port; USB: the device).
    bool linkOpen()
    {
        return transport == Transport::Serial ? link->xcomm().isOpen() : bus->isOpen(UsbSerial);
    }
    QList<QByteArray> commands() const { return engine->commandLog(); }
    // Commands without the handshake's bare CRs.
    QList<QByteArray> realCommands() const
    {
        QList<QByteArray> out;
        for (const QByteArray &c : engine->commandLog())
            if (!c.isEmpty())
                out << c;
        return out;
    }
    QString port() const { return pty ? pty->slavePath() : QString(); }

    Transport transport;
    std::shared_ptr<sim::EncoderEngine> engine;
    std::unique_ptr<sim::PtyEncoder> pty;
    std::unique_ptr<sim::SimulatedFtdiBus> bus;
    ParameterModel model;
    LinkState state;
    ScriptedPrompts prompts;
    RecordingUi ui;
    Preferences preferences;
    std::unique_ptr<DeviceConnection> link;
    std::unique_ptr<EncoderOperations> ops;
};

// Each test starts without stored preferences.
inline void clearStore() { QSettings(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9")).clear(); }

inline void addTransportColumns()
{
    QTest::addColumn<Transport>("transport");
}

} // namespace brevolan::test

Q_DECLARE_METATYPE(brevolan::test::Transport)
