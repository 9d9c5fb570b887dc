// The encoder operations through the real main window: its buttons and menu
// items, its progress bar, cursor and status panel, against the simulated
// encoder on a pseudo-terminal.

#include "app/TMainForm.h"
#include "link/Preferences.h"
#include "model/ParameterModel.h"
#include "operations/TAboutForm.h"
#include "sim/EncoderEngine.h"
#include "sim/PtyEncoder.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace brevolan;
using namespace brevolan::test;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readThroughTheWindow();
    void sendFollowsTheSpeed();
    void aboutShowsTheRevision();

private:
    template <typename T> T *child(const char *name)
    {
        T *w = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }

    std::shared_ptr<sim::EncoderEngine> m_engine;
    std::unique_ptr<sim::PtyEncoder> m_pty;
    ScriptedPrompts m_prompts;
    Preferences m_preferences;
    std::unique_ptr<TMainForm> m_window;
};

void WindowTest::init()
{
    QSettings(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9")).clear();
    m_engine = std::make_shared<sim::EncoderEngine>();
    m_pty = std::make_unique<sim::PtyEncoder>(m_engine);
    QString error;
    QVERIFY2(m_pty->start(&error), qPrintable(error));
    m_preferences.writeDevId(serialDevId(m_pty->slavePath(), QStringLiteral("9600")));
    m_prompts = ScriptedPrompts();
    m_window = std::make_unique<TMainForm>(&m_prompts, &m_preferences);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void WindowTest::cleanup()
{
    m_window.reset();
    m_pty.reset();
}

void WindowTest::readThroughTheWindow()
{
    m_engine->setValue("PI", "54A8");
    m_engine->setValue("PTY", "5");
    m_engine->setValue("TA", "1");
    m_engine->setValue("PS", " ON AIR ");
    m_engine->setValue("SPEED", "9600");
    int barInBox = -1;
    bool hourglassInBox = false;
    m_prompts.onInformation = [&](const QString &) {
        barInBox = child<QProgressBar>("PBar")->value();
        hourglassInBox = QApplication::overrideCursor()
            && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };

    QTest::mouseClick(child<QPushButton>("ReadRDSBtn"), Qt::LeftButton);

    QCOMPARE(m_prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(m_prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(barInBox, 23);
    QVERIFY(hourglassInBox);
    QCOMPARE(child<QProgressBar>("PBar")->value(), 0);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(child<QLineEdit>("PI1")->text(), QStringLiteral("54A8"));
    QCOMPARE(child<QLineEdit>("PI2")->text(), QStringLiteral("WAAA"));
    QCOMPARE(child<QComboBox>("PTY")->currentIndex(), 5);
    QCOMPARE(child<QComboBox>("TA")->currentIndex(), 1);
    QVERIFY(child<QComboBox>("TA")->styleSheet().contains(QStringLiteral("#ff0000")));
    QCOMPARE(child<QLineEdit>("PS")->text(), QStringLiteral("ON AIR"));
    QCOMPARE(child<QComboBox>("Speed")->currentText(), QStringLiteral("9600"));
}

// The status panel and the store follow the speed the encoder was sent.
void WindowTest::sendFollowsTheSpeed()
{
    child<QLineEdit>("PS")->setText(QStringLiteral("SENT"));
    m_window->model().setText(Param::PS, QStringLiteral("SENT"));
    child<QComboBox>("Speed")->setCurrentText(QStringLiteral("19200"));
    QCOMPARE(m_window->model().values().speedText(), QStringLiteral("19200"));

    QTest::mouseClick(child<QPushButton>("SendToRDSBtn"), Qt::LeftButton);

    QCOMPARE(m_prompts.texts(QStringLiteral("error")), QStringList());
    QCOMPARE(m_prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Done.")});
    QCOMPARE(m_engine->storedValue("PS"), QByteArray("SENT"));
    QCOMPARE(m_engine->lineSpeed(), 19200u);
    const QString devId = serialDevId(m_pty->slavePath(), QStringLiteral("19200"));
    QCOMPARE(m_window->linkState().devId, devId);
    QCOMPARE(Preferences().readDevId(), devId);
    QCOMPARE(child<QLabel>("DevName")->text(), m_pty->slavePath() + QStringLiteral(", 19200"));
    QCOMPARE(child<QProgressBar>("PBar")->value(), 0);
    QVERIFY(!QApplication::overrideCursor());
}

void WindowTest::aboutShowsTheRevision()
{
    m_engine->setRevision("7.89");
    QString shown;
    QTimer::singleShot(0, this, [&] {
        if (auto *about = qobject_cast<TAboutForm *>(QApplication::activeModalWidget())) {
            shown = about->findChild<QLabel *>(QStringLiteral("Label2"))->text();
            about->accept();
        }
    });
    QTimer::singleShot(5000, this, [] {   // never hang on a dialog that stayed open
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    child<QAction>("miAbout")->trigger();
    QCOMPARE(shown, QStringLiteral("7.89"));
    QCOMPARE(m_prompts.texts(QStringLiteral("error")), QStringList());
    QVERIFY(m_window->findChildren<TAboutForm *>().isEmpty());
}

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
