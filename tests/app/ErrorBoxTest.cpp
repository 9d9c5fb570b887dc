// The real message boxes: shown modally, closed by a timer that polls for
// the active modal widget (and gives up after a few seconds, so a box that
// never appears fails the test instead of hanging it).

#include "app/QtPrompts.h"
#include "app/TMainForm.h"
#include "link/Preferences.h"
#include "model/ParameterModel.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace brevolan;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    bool seen = false;
};

// Answers the next modal QMessageBox with the given button.
class BoxCloser : public QObject {
public:
    BoxCloser(SeenBox &seen, QMessageBox::StandardButton answer) : m_seen(seen), m_answer(answer)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
        m_clock.start();
    }

private:
    void poll()
    {
        if (m_clock.elapsed() > 5000) {
            m_timer.stop();
            return;
        }
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_timer.stop();
        m_seen.seen = true;
        m_seen.title = box->windowTitle();
        m_seen.text = box->text();
        m_seen.icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            m_seen.buttons << box->standardButton(b);
        if (QAbstractButton *b = box->button(m_answer))
            b->click();
        else
            box->reject();
    }

    SeenBox &m_seen;
    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace

class ErrorBoxTest : public QObject {
    Q_OBJECT
private slots:
    void errorBox();
    void confirmAnswers_data();
    void confirmAnswers();
    void handlerErrorReachesRealBox();
};

void ErrorBoxTest::errorBox()
{
    QtPrompts prompts;
    SeenBox seen;
    BoxCloser closer(seen, QMessageBox::Ok);
    prompts.error(QStringLiteral("Brevolan 4 - Communications Error."));
    QVERIFY(seen.seen);
    QCOMPARE(seen.title, QStringLiteral("Brevolan 4"));
    QCOMPARE(seen.text, QStringLiteral("Brevolan 4 - Communications Error."));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

void ErrorBoxTest::confirmAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
}

void ErrorBoxTest::confirmAnswers()
{
    QFETCH(int, answer);
    QFETCH(bool, result);
    QtPrompts prompts;
    SeenBox seen;
    BoxCloser closer(seen, QMessageBox::StandardButton(answer));
    QCOMPARE(prompts.confirm(QStringLiteral("Do you really want to restore factory setings of the encoder?")),
             result);
    QVERIFY(seen.seen);
    QCOMPARE(seen.buttons.size(), 2);
}

void ErrorBoxTest::handlerErrorReachesRealBox()
{
    QtPrompts prompts;
    Preferences preferences;
    TMainForm form(&prompts, &preferences);
    prompts.setFallbackParent(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.model().setText(Param::PI, QStringLiteral("XYZ"));

    SeenBox seen;
    BoxCloser closer(seen, QMessageBox::Ok);
    form.findChild<QPushButton *>(QStringLiteral("PI1ToPI2"))->click();
    QVERIFY(seen.seen);
    QCOMPARE(seen.title, QStringLiteral("Brevolan 4"));
    QCOMPARE(seen.text, QStringLiteral("'$XYZ' is not a valid integer value."));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("PI2"))->text(), QStringLiteral("----"));
    QVERIFY(form.isVisible());
}

QTEST_MAIN(ErrorBoxTest)
#include "ErrorBoxTest.moc"
