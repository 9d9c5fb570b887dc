// The model behind the main window: reset, mode switch, PI/call conversions.

#include "common/BrevolanError.h"
#include "model/ParameterModel.h"

#include <QSignalSpy>
#include <QtTest>

using namespace brevolan;

class ParameterModelTest : public QObject {
    Q_OBJECT
private slots:
    void startsAtDefaultsInRbds();
    void modeSwitchKeepsPtyCode();
    void systemTextIsTakenWhole();
    void piToCallFailureKeepsCallLetters();
    void piToCallAndBack_data();
    void piToCallAndBack();
    void resetRestoresDefaults();
};

void ParameterModelTest::startsAtDefaultsInRbds()
{
    ParameterModel m;
    QVERIFY(m.rbdsMode());
    QCOMPARE(m.values(), ParameterSet::defaults());
    QCOMPARE(m.callLetters(), QStringLiteral("----"));
}

void ParameterModelTest::modeSwitchKeepsPtyCode()
{
    ParameterModel m;
    QSignalSpy modes(&m, &ParameterModel::modeChanged);
    m.setIndex(Param::PTY, 7);
    m.setRbdsMode(false);
    QCOMPARE(m.index(Param::PTY), 7);
    m.setRbdsMode(true);
    QCOMPARE(m.index(Param::PTY), 7);
    QCOMPARE(modes.count(), 2);
}

void ParameterModelTest::systemTextIsTakenWhole()
{
    // Typing stops at eight characters; text put in by a file or the encoder does not.
    ParameterModel m;
    m.setText(Param::PS, QStringLiteral(" TEN CHARS"));
    QCOMPARE(m.text(Param::PS), QStringLiteral(" TEN CHARS"));
    QCOMPARE(m.values().wireValue(Param::PS), QByteArray(" TEN CHARS"));
}

void ParameterModelTest::piToCallFailureKeepsCallLetters()
{
    ParameterModel m;
    m.setText(Param::PI, QStringLiteral("4020"));
    m.convertPiToCall();
    QCOMPARE(m.callLetters(), QStringLiteral("KSFW"));
    m.setText(Param::PI, QStringLiteral("12G4"));
    try {
        m.convertPiToCall();
        QFAIL("a PI with G converted");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), QStringLiteral("'$12G4' is not a valid integer value"));
    }
    QCOMPARE(m.callLetters(), QStringLiteral("KSFW"));
}

void ParameterModelTest::piToCallAndBack_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("pi");
    QTest::newRow("KAAA") << "KAAA" << "AFA1";
    QTest::newRow("lower case") << "wxyz" << "93ED";
    QTest::newRow("three letters") << "KEX" << "0000";
    QTest::newRow("not K or W") << "CBCK" << "0000";
    QTest::newRow("empty") << "" << "0000";
}

void ParameterModelTest::piToCallAndBack()
{
    QFETCH(QString, call);
    QFETCH(QString, pi);
    ParameterModel m;
    m.setCallLetters(call);
    m.convertCallToPi();
    QCOMPARE(m.text(Param::PI), pi);
}

void ParameterModelTest::resetRestoresDefaults()
{
    ParameterModel m;
    m.setText(Param::PI, QStringLiteral("1234"));
    m.convertPiToCall();
    m.setText(Param::DPS, QStringLiteral("x"));
    m.setIndex(Param::AF3, 100);
    m.resetFields();
    QCOMPARE(m.values(), ParameterSet::defaults());
    QCOMPARE(m.callLetters(), QStringLiteral("----"));
}

QTEST_GUILESS_MAIN(ParameterModelTest)
#include "ParameterModelTest.moc"
