// The firmware-revision exchange against the simulated encoder, and the
// About dialog itself.

#include "OperationRig.h"

#include "operations/TAboutForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace brevolan;
using namespace brevolan::test;

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void revision_data();
    void revision();
    void noUsableReply_data();
    void noUsableReply();
    void notConnected();
    void dialogLayout();
    void logoOpensReadme();
    void dialogShownAndDestroyed();
};

void AboutTest::revision_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("eol");
    QTest::addColumn<int>("handshakeFromCr");
    QTest::addColumn<QByteArray>("revision");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("minimumMs");

    QTest::newRow("serial, CR") << Transport::Serial << false << QByteArray("\r") << 1 << QByteArray("1.23")
                                << QStringLiteral("1.23") << 0;
    QTest::newRow("serial, echo on") << Transport::Serial << true << QByteArray("\r") << 1 << QByteArray("1.23")
                                     << QStringLiteral("1.23") << 0;
    QTest::newRow("serial, CR LF, echo on, late handshake")
        << Transport::Serial << true << QByteArray("\r\n") << 3 << QByteArray("1.23") << QStringLiteral("1.23") << 0;
    QTest::newRow("serial, blank inside") << Transport::Serial << false << QByteArray("\r\n") << 1
                                          << QByteArray("V 2.0b") << QStringLiteral("V 2.0b") << 0;
    QTest::newRow("usb, CR LF") << Transport::Usb << false << QByteArray("\r\n") << 1 << QByteArray("1.23")
                                << QStringLiteral("1.23") << 0;
    QTest::newRow("usb, echo on") << Transport::Usb << true << QByteArray("\r") << 1 << QByteArray("1.23")
                                  << QStringLiteral("1.23") << 0;
    // Without a line end the revision counts as it stands once both waits
    // have passed.
    QTest::newRow("serial, no final CR") << Transport::Serial << false << QByteArray() << 1 << QByteArray("1.23")
                                         << QStringLiteral("1.23") << 1900;
    QTest::newRow("serial, no final CR, echo on")
        << Transport::Serial << true << QByteArray() << 1 << QByteArray("1.23") << QStringLiteral("1.23") << 1900;
}

void AboutTest::revision()
{
    QFETCH(Transport, transport);
    QFETCH(bool, echo);
    QFETCH(QByteArray, eol);
    QFETCH(int, handshakeFromCr);
    QFETCH(QByteArray, revision);
    QFETCH(QString, expected);
    QFETCH(int, minimumMs);
    OperationRig rig(transport);
    rig.engine->setValue("ECHO", echo ? "1" : "0");
    rig.engine->setLineEnding(eol);
    rig.engine->setRevision(revision);
    sim::EncoderFaults faults;
    faults.handshakeFromCr = handshakeFromCr;
    rig.engine->setFaults(faults);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(rig.ops->firmwareRevision(), expected);
    QVERIFY2(clock.elapsed() >= minimumMs, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 4000);
    QCOMPARE(rig.realCommands(), QList<QByteArray>{"REV"});
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")), QStringList());
    QVERIFY(!rig.linkOpen());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

void AboutTest::noUsableReply_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::newRow("serial") << Transport::Serial;
    QTest::newRow("usb") << Transport::Usb;
}

// Noise instead of an answer: nothing after about two seconds.
void AboutTest::noUsableReply()
{
    QFETCH(Transport, transport);
    OperationRig rig(transport);
    sim::EncoderFaults faults;
    faults.noise = true;
    rig.engine->setFaults(faults);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(rig.ops->firmwareRevision(), QString());
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 4000);
    QVERIFY(!rig.linkOpen());
}

void AboutTest::notConnected()
{
    OperationRig rig(Transport::Serial);
    sim::EncoderFaults faults;
    faults.silent = true;
    rig.engine->setFaults(faults);
    QCOMPARE(rig.ops->firmwareRevision(), QString());
    QCOMPARE(rig.prompts.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Brevolan 4 - Communications Error.")});
    QVERIFY(rig.realCommands().isEmpty());
    QCOMPARE(rig.ui.cursorDepth, 0);
}

void AboutTest::dialogLayout()
{
    TAboutForm form;
    QCOMPARE(form.objectName(), QStringLiteral("AboutForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("About"));
    QCOMPARE(form.size(), QSize(239, 107));
    QCOMPARE(form.minimumSize(), form.maximumSize());

    auto *image = form.findChild<QLabel *>(QStringLiteral("Image1"));
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(10, 5, 220, 44));
    QVERIFY(!image->pixmap().isNull());
    QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);

    auto *label1 = form.findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(label1);
    QCOMPARE(label1->text(), QStringLiteral("Firmware revision:"));
    QCOMPARE(label1->pos(), QPoint(4, 56));

    auto *label2 = form.findChild<QLabel *>(QStringLiteral("Label2"));
    QVERIFY(label2);
    // At 92, unless the caption's font runs wider: never over the caption.
    QCOMPARE(label2->y(), 56);
    QVERIFY(label2->x() >= 92);
    QVERIFY(label2->x() > label1->geometry().right());
    QCOMPARE(label2->text(), QStringLiteral("< not connected >"));
    form.setRevision(QStringLiteral("1.23"));
    QCOMPARE(label2->text(), QStringLiteral("1.23"));
    form.setRevision(QString());
    QCOMPARE(label2->text(), QStringLiteral("< not connected >"));

    auto *button = form.findChild<QPushButton *>(QStringLiteral("Button1"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("OK"));
    QCOMPARE(button->geometry(), QRect(82, 75, 75, 25));
    QVERIFY(button->isDefault());
}

void AboutTest::logoOpensReadme()
{
    QList<QUrl> opened;
    {
        TAboutForm form;
        form.setDocumentOpener([&](const QUrl &url) { opened << url; });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *image = form.findChild<QLabel *>(QStringLiteral("Image1"));
        QTest::mousePress(image, Qt::RightButton);
        QTest::mousePress(image, Qt::MiddleButton);
        QVERIFY(opened.isEmpty());
        QTest::mousePress(image, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened.first().isLocalFile());
        QVERIFY(opened.first().toLocalFile().endsWith(QStringLiteral("README.md")));
        QVERIFY(form.isVisible());   // the press does not close the dialog
    }
}

// Shown modally with the revision; OK closes it and it is destroyed.
void AboutTest::dialogShownAndDestroyed()
{
    QWidget parent;
    QPointer<TAboutForm> seen;
    QString shownText;
    QTimer::singleShot(0, this, [&] {
        seen = qobject_cast<TAboutForm *>(QApplication::activeModalWidget());
        if (!seen)
            return;
        shownText = seen->findChild<QLabel *>(QStringLiteral("Label2"))->text();
        QTest::keyClick(seen, Qt::Key_Return);
    });
    QTimer::singleShot(3000, this, [&] {   // never hang on a box that stayed open
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    showAboutDialog(&parent, QStringLiteral("2.05"));
    QCOMPARE(shownText, QStringLiteral("2.05"));
    QVERIFY(seen.isNull());
    QVERIFY(parent.findChildren<TAboutForm *>().isEmpty());
}

QTEST_MAIN(AboutTest)
#include "AboutTest.moc"
