#pragma once
// The USB bus the demo runs on: two simulated Brevolan encoders and one
// foreign FTDI chip, installed as the program's FTDI driver and as the
// source of its USB notifications for as long as the object lives.

#include "sim/EncoderEngine.h"
#include "sim/SimulatedFtdiBus.h"

#include <QByteArray>
#include <memory>

namespace brevolan::demo {

// The station encoder: it answers with a small station's values.
inline const QByteArray StationSerial = QByteArrayLiteral("BV4DEMO1");
// A second encoder straight from the factory.
inline const QByteArray SpareSerial = QByteArrayLiteral("BV4DEMO2");
// Some other FTDI USB-serial adapter on the same machine: listed by the
// driver, never offered as an encoder, never answers.
inline const QByteArray ForeignSerial = QByteArrayLiteral("A10K7QZP");
inline const QByteArray ForeignDescription = QByteArrayLiteral("FT232R USB UART");

// Station values of the first encoder, as the encoder reports them.
void preloadStation(sim::EncoderEngine &engine);

class DemoBus {
public:
    DemoBus();
    ~DemoBus();
    DemoBus(const DemoBus &) = delete;
    DemoBus &operator=(const DemoBus &) = delete;

    sim::SimulatedFtdiBus &bus() { return m_bus; }
    std::shared_ptr<sim::EncoderEngine> station() const { return m_station; }
    std::shared_ptr<sim::EncoderEngine> spare() const { return m_spare; }

private:
    sim::SimulatedFtdiBus m_bus;
    std::shared_ptr<sim::EncoderEngine> m_station;
    std::shared_ptr<sim::EncoderEngine> m_spare;
};

} // namespace brevolan::demo
