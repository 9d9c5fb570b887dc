#include "demo/DemoBus.h"

#include "devices/BusUsbNotification.h"
#include "devices/UsbEncoderList.h"
#include "link/D2XXUnit.h"
#include "model/PiCode.h"

namespace brevolan::demo {

void preloadStation(sim::EncoderEngine &engine)
{
    // An RBDS station, since the program starts in RBDS mode: the PI code
    // follows from the call letters (NRSC-4), so "-->" shows KBVL again.
    engine.setValue("PI", piToFieldText(CallToPI(QStringLiteral("KBVL"))).toLatin1());
    engine.setValue("PS", "KBVL FM");
    engine.setValue("PTY", "5");      // RBDS "Rock"
    engine.setValue("MS", "1");
    engine.setValue("TP", "1");
    engine.setValue("DI", "1");
    engine.setValue("DPSS", "3");
    engine.setValue("DPS", "KBVL 98.5 THE VALLEY ROCKS");
    engine.setValue("TEXT", "You are listening to KBVL 98.5 FM - Brevolan 4 demo encoder");
    // AF codes: 87.5 MHz + 0.1 MHz per step (EN 50067).
    engine.setValue("AF1", "110");    // 98.5 MHz
    engine.setValue("AF2", "138");    // 101.3 MHz
    engine.setValue("AF3", "172");    // 104.7 MHz
}

DemoBus::DemoBus()
    : m_station(std::make_shared<sim::EncoderEngine>())
    , m_spare(std::make_shared<sim::EncoderEngine>())
{
    preloadStation(*m_station);
    m_station->setRevision("4.07");
    m_bus.attach(StationSerial, EncoderDescription.toLatin1(), m_station);
    m_bus.attach(ForeignSerial, ForeignDescription);
    m_bus.attach(SpareSerial, EncoderDescription.toLatin1(), m_spare);

    setFtdiDriver(&m_bus);
    setUsbNotificationFactory([this] { return notificationFromBus(&m_bus); });
}

DemoBus::~DemoBus()
{
    setUsbNotificationFactory({});
    setFtdiDriver(nullptr);
}

} // namespace brevolan::demo
