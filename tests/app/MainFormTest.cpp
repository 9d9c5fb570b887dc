// The main window against the parameter model: start-up from the stored
// preferences, the key filters, the mode toggle, the TA colour, the rulers,
// the help and logo links and the close. ctest gives this test its own
// XDG_CONFIG_HOME, so the store is private to it.

#include "support/ScriptedPrompts.h"
#include "app/Ruler.h"
#include "app/TMainForm.h"
#include "operations/ReadmeLocation.h"
#include "common/BrevolanError.h"
#include "link/Preferences.h"
#include "model/ParameterModel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace brevolan;
using brevolan::test::ScriptedPrompts;

namespace {

// A store that refuses every write, as a full or read-only disk would.
class RefusingPreferences : public Preferences {
public:
    void writeRdsMode(int) override
    {
        throw BrevolanError(QStringLiteral("Cannot write the setting RDSMode to /nowhere/ostrel9.conf"));
    }
};

void storeValue(const QString &name, const QString &value)
{
    QSettings store(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9"));
    store.setValue(name, value);
}

QString storedValue(const QString &name)
{
    QSettings store(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9"));
    return store.value(name).toString();
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void startupFromStoredDevice_data();
    void startupFromStoredDevice();
    void startupDefaults();
    void windowLayout();
    void menuEntries_data();
    void menuEntries();
    void tabOrder();

    void keyFilters_data();
    void keyFilters();
    void shortcutsAndTabPassTheFilters();
    void programTextIsShownWhole();

    void modeToggleKeepsPtyCode_data();
    void modeToggleKeepsPtyCode();
    void modeToggleTwiceChangesNothing();

    void taColour_data();
    void taColour();

    void rulerTicks_data();
    void rulerTicks();
    void rulerDrawsUnderEachCell_data();
    void rulerDrawsUnderEachCell();

    void piConversions();
    void invalidPiShowsErrorAndKeepsCallLetters();
    void errorBoxFullStop_data();
    void errorBoxFullStop();

    void helpOpensOnlyExistingFile();
    void logoOpensReadmeOnLeftClickOnly();

    void closeStoresMode_data();
    void closeStoresMode();
    void exitClosesAndStores();
    void refusedStoreIsReportedAndWindowCloses();

private:
    std::unique_ptr<TMainForm> makeForm(Preferences *preferences = nullptr);
    template<typename T> T *child(TMainForm &form, const char *name);

    ScriptedPrompts m_prompts;
    Preferences m_preferences;
};

void MainFormTest::initTestCase()
{
    // Never run against a real user's settings.
    QVERIFY(qEnvironmentVariable("XDG_CONFIG_HOME").contains(QStringLiteral("home-t_main_form")));
}

void MainFormTest::init()
{
    QSettings(QStringLiteral("Tarvenix"), QStringLiteral("ostrel9")).clear();
    m_prompts = ScriptedPrompts();
}

std::unique_ptr<TMainForm> MainFormTest::makeForm(Preferences *preferences)
{
    return std::make_unique<TMainForm>(&m_prompts, preferences ? preferences : &m_preferences);
}

template<typename T> T *MainFormTest::child(TMainForm &form, const char *name)
{
    T *found = form.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// ------------------------------------------------------------------ start-up

void MainFormTest::startupFromStoredDevice_data()
{
    QTest::addColumn<QString>("devId");   // empty: nothing stored
    QTest::addColumn<QString>("speed");   // text shown by Speed, empty for none
    QTest::addColumn<QString>("devName");

    QTest::newRow("nothing stored") << QString() << "9600" << "COM1, 9600";
    QTest::newRow("serial 4800") << "1, COM1, 4800" << "4800" << "COM1, 4800";
    QTest::newRow("serial 1200 is no entry") << "1, COM1, 1200" << QString() << "COM1, 1200";
    QTest::newRow("serial without blanks") << "1,ttyUSB0,115200" << "115200" << "ttyUSB0,115200";
    QTest::newRow("serial speed missing") << "1, COM2" << QString() << "COM2";
    QTest::newRow("usb") << "2, FT5XQ2AB" << "9600" << "< none >";
}

void MainFormTest::startupFromStoredDevice()
{
    QFETCH(QString, devId);
    QFETCH(QString, speed);
    QFETCH(QString, devName);
    if (!devId.isEmpty())
        storeValue(QStringLiteral("DevID"), devId);

    auto form = makeForm();
    auto *speedList = child<QComboBox>(*form, "Speed");
    QCOMPARE(speedList->currentText(), speed);
    QCOMPARE(speedList->currentIndex() == -1, speed.isEmpty());
    QCOMPARE(form->model().index(Param::SPEED), speedList->currentIndex());
    QCOMPARE(child<QLabel>(*form, "DevName")->text(), devName);
    QCOMPARE(form->linkState().devId, devId.isEmpty() ? QStringLiteral("1, COM1, 9600") : devId);
    QCOMPARE(form->linkState().usbBaudRate, 9600);
    QVERIFY(form->linkState().firstUsbOpen);
    if (devId.startsWith(QLatin1Char('1')))
        QVERIFY(!form->linkState().deviceMissing);
    QVERIFY(m_prompts.shown.isEmpty());
    // Start-up writes nothing.
    QCOMPARE(storedValue(QStringLiteral("DevID")), devId);
}

void MainFormTest::startupDefaults()
{
    auto form = makeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("RDS/RBDS Encoder - Brevolan 4"));
    QCOMPARE(form->baseCaption(), QStringLiteral("RDS/RBDS Encoder - Brevolan 4"));
    QVERIFY(form->helpFile().endsWith(QStringLiteral("/Brevolan4.chm")));
    QCOMPARE(form->model().values(), [] {
        ParameterSet expected = ParameterSet::defaults();
        expected.selectSpeed(QStringLiteral("9600"));
        return expected;
    }());

    QCOMPARE(child<QLineEdit>(*form, "PI1")->text(), QStringLiteral("FFFF"));
    QCOMPARE(child<QLineEdit>(*form, "PI2")->text(), QStringLiteral("----"));
    QCOMPARE(child<QLineEdit>(*form, "PS")->text(), QStringLiteral("BREVOLAN"));
    QVERIFY(child<QLineEdit>(*form, "DPS")->text().isEmpty());
    QVERIFY(child<QLineEdit>(*form, "Text")->text().isEmpty());

    const QList<std::pair<const char *, QString>> lists = {
        {"PTY", "NONE"}, {"MS", "MUSIC"}, {"TA", "OFF"}, {"PARSE", "0"}, {"DPSS", "OFF"},
        {"DRTS", "OFF"}, {"TP", "OFF"}, {"DI", "MONO"}, {"ECHO", "ON"}, {"AF1", "NO AF"},
        {"AF9", "NO AF"},
    };
    for (const auto &[name, text] : lists)
        QCOMPARE(child<QComboBox>(*form, name)->currentText(), text);
    auto *af5 = child<QComboBox>(*form, "AF5");
    QCOMPARE(af5->count(), 205);
    QVERIFY(!af5->isEditable());
    QCOMPARE(child<QComboBox>(*form, "PTY")->count(), 32);
    QCOMPARE(child<QComboBox>(*form, "Speed")->count(), 7);

    // No stored mode: RBDS.
    QCOMPARE(child<QPushButton>(*form, "ModeBtn")->text(), QStringLiteral("RBDS"));
    QVERIFY(child<QLineEdit>(*form, "PI2")->isEnabled());

    auto *bar = child<QProgressBar>(*form, "PBar");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 23);
    QCOMPARE(bar->value(), 0);
}

void MainFormTest::windowLayout()
{
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->centralWidget()->size(), QSize(639, 320));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));

    const QList<std::pair<const char *, QRect>> places = {
        {"PI1", {35, 21, 47, 21}},     {"PTY", {370, 21, 264, 21}},  {"PS", {35, 52, 71, 23}},
        {"PB1", {36, 111, 453, 15}},   {"DPS", {35, 127, 458, 23}},  {"PB2", {36, 154, 453, 15}},
        {"Text", {35, 169, 458, 23}},  {"AF9", {319, 270, 96, 21}},  {"Image1", {419, 210, 220, 44}},
        {"SendToRDSBtn", {530, 267, 104, 26}}, {"Panel1", {0, 299, 639, 21}},
    };
    for (const auto &[name, rect] : places)
        QCOMPARE(child<QWidget>(*form, name)->geometry(), rect);

    // Fixed pitch in the fields the rulers count, a small sans font elsewhere.
    for (const char *name : {"PS", "DPS", "Text"}) {
        const QFont font = child<QLineEdit>(*form, name)->font();
        QCOMPARE(font.pixelSize(), 12);
        QVERIFY(QFontInfo(font).fixedPitch());
    }
    QCOMPARE(form->font().pixelSize(), 11);
    // The red cue of TA keeps the window font.
    form->model().setIndex(Param::TA, 1);
    QCOMPARE(QFontInfo(child<QComboBox>(*form, "TA")->font()).pixelSize(), 11);
    QCOMPARE(child<QWidget>(*form, "Image1")->cursor().shape(), Qt::PointingHandCursor);
}

void MainFormTest::menuEntries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");

    QTest::addColumn<bool>("trigger");

    // Device and About open modal dialogs of their own (tested with their
    // operations); the others end in a prompt answered No or Cancel.
    QTest::newRow("reset") << "miReset" << "Reset" << QKeySequence() << true;
    QTest::newRow("open") << "miOpen" << "Open" << QKeySequence(Qt::Key_F3) << true;
    QTest::newRow("save") << "miSave" << "Save" << QKeySequence(Qt::Key_F4) << true;
    QTest::newRow("save as") << "miSaveAs" << "Save As..." << QKeySequence() << true;
    QTest::newRow("exit") << "miExit" << "Exit" << QKeySequence(Qt::ALT | Qt::Key_F4) << true;
    QTest::newRow("device") << "miDevice" << "Device" << QKeySequence() << false;
    QTest::newRow("help") << "miHelp" << "Help" << QKeySequence(Qt::Key_F1) << true;
    QTest::newRow("about") << "miAbout" << "About" << QKeySequence() << false;
}

void MainFormTest::menuEntries()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, trigger);
    auto form = makeForm();
    auto *action = form->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), shortcut);
    if (trigger) {
        action->trigger();
        QVERIFY(m_prompts.texts(QStringLiteral("error")).isEmpty());
    }
}

void MainFormTest::tabOrder()
{
    auto form = makeForm();
    const QStringList expected = {
        "PI1", "PI1ToPI2", "PI2ToPI1", "PI2", "ModeBtn", "PTY", "PS", "PARSE", "DPSS", "DRTS",
        "MS", "TA", "TP", "DI", "DPS", "Speed", "Text", "ECHO", "AF1", "AF2", "AF3", "AF4",
        "AF5", "AF6", "AF7", "AF8", "AF9", "ReadRDSBtn", "SendToRDSBtn",
    };
    QStringList chain;
    QWidget *w = child<QWidget>(*form, "PI1");
    do {
        if (w->focusPolicy() & Qt::TabFocus && expected.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w && w->objectName() != QLatin1String("PI1"));
    QCOMPARE(chain, expected);
}

// -------------------------------------------------------------- key filters

void MainFormTest::keyFilters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("PI1 g ignored") << "PI1" << "g" << "";
    QTest::newRow("PI1 minus ignored") << "PI1" << "-" << "";
    QTest::newRow("PI1 b shows B") << "PI1" << "b" << "B";
    QTest::newRow("PI1 hex mixed") << "PI1" << "9aZ f" << "9AF";
    QTest::newRow("PI1 typing stops at 4") << "PI1" << "12345" << "1234";
    QTest::newRow("PI1 backspace kept") << "PI1" << "12\b3" << "13";
    QTest::newRow("PI1 return and escape ignored") << "PI1" << "1\r\x1b" << "1";
    QTest::newRow("PI2 digit ignored") << "PI2" << "7" << "";
    QTest::newRow("PI2 letters upper case") << "PI2" << "wxyz" << "WXYZ";
    QTest::newRow("PI2 only letters") << "PI2" << "k-1w" << "KW";
    QTest::newRow("PI2 typing stops at 4") << "PI2" << "kabcd" << "KABC";
}

void MainFormTest::keyFilters()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    auto form = makeForm();
    auto *edit = form->findChild<QLineEdit *>(field);
    form->model().setText(Param::PI, QString());
    form->model().setCallLetters(QString());
    QVERIFY(edit->text().isEmpty());

    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(field == QLatin1String("PI1") ? form->model().text(Param::PI) : form->model().callLetters(), shown);
}

void MainFormTest::shortcutsAndTabPassTheFilters()
{
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    auto *pi1 = child<QLineEdit>(*form, "PI1");
    pi1->setFocus();
    QTRY_VERIFY(pi1->hasFocus());

    // Select all, then type over it.
    QTest::keyClick(pi1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(pi1, "c");
    QCOMPARE(pi1->text(), QStringLiteral("C"));
    QCOMPARE(form->model().text(Param::PI), QStringLiteral("C"));

    QTest::keyClick(pi1, Qt::Key_Tab);
    QTRY_VERIFY(child<QWidget>(*form, "PI1ToPI2")->hasFocus());
}

void MainFormTest::programTextIsShownWhole()
{
    auto form = makeForm();
    auto *ps = child<QLineEdit>(*form, "PS");
    form->model().setText(Param::PS, QStringLiteral("ABCDEFGHIJ"));
    QCOMPARE(ps->text(), QStringLiteral("ABCDEFGHIJ"));
    const QString longText(70, QLatin1Char('x'));
    form->model().setText(Param::TEXT, longText);
    QCOMPARE(child<QLineEdit>(*form, "Text")->text(), longText);
    form->model().setText(Param::PI, QStringLiteral("12345abc"));
    QCOMPARE(child<QLineEdit>(*form, "PI1")->text(), QStringLiteral("12345abc"));

    // The typing limit still holds: no growth, but shortening works.
    ps->end(false);
    QTest::keyClicks(ps, "K");
    QCOMPARE(ps->text(), QStringLiteral("ABCDEFGHIJ"));
    QTest::keyClick(ps, Qt::Key_Backspace);
    QCOMPARE(ps->text(), QStringLiteral("ABCDEFGHI"));
    QCOMPARE(form->model().text(Param::PS), QStringLiteral("ABCDEFGHI"));
}

// -------------------------------------------------------------- mode toggle

void MainFormTest::modeToggleKeepsPtyCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("rdsName");
    QTest::addColumn<QString>("rbdsName");

    QTest::newRow("24") << 24 << "JAZZ MUSIC" << "UNASSIGNED";
    QTest::newRow("7") << 7 << "CULTURE" << "ADULT HITS";
    QTest::newRow("18 apostrophe") << 18 << "CHILDREN'S PROGS" << "FOREIGN LANGUAGE";
    QTest::newRow("none selected") << -1 << "" << "";
}

void MainFormTest::modeToggleKeepsPtyCode()
{
    QFETCH(int, code);
    QFETCH(QString, rdsName);
    QFETCH(QString, rbdsName);
    storeValue(QStringLiteral("RDSMode"), QStringLiteral("0"));
    auto form = makeForm();
    auto *mode = child<QPushButton>(*form, "ModeBtn");
    auto *pty = child<QComboBox>(*form, "PTY");
    QCOMPARE(mode->text(), QStringLiteral("RDS"));
    for (const char *name : {"PI2", "PI1ToPI2", "PI2ToPI1"})
        QVERIFY(!child<QWidget>(*form, name)->isEnabled());

    form->model().setIndex(Param::PTY, code);
    QCOMPARE(pty->currentText(), rdsName);

    mode->click();
    QCOMPARE(mode->text(), QStringLiteral("RBDS"));
    for (const char *name : {"PI2", "PI1ToPI2", "PI2ToPI1"})
        QVERIFY(child<QWidget>(*form, name)->isEnabled());
    QCOMPARE(pty->currentIndex(), code);
    QCOMPARE(pty->currentText(), rbdsName);
    QCOMPARE(form->model().index(Param::PTY), code);

    mode->click();
    QCOMPARE(mode->text(), QStringLiteral("RDS"));
    QCOMPARE(pty->currentText(), rdsName);
    // The mode is stored at close only.
    QCOMPARE(storedValue(QStringLiteral("RDSMode")), QStringLiteral("0"));
}

void MainFormTest::modeToggleTwiceChangesNothing()
{
    auto form = makeForm();
    ParameterModel &model = form->model();
    model.setText(Param::PI, QStringLiteral("93ED"));
    model.setText(Param::PS, QStringLiteral("RADIO 1"));
    model.setText(Param::TEXT, QStringLiteral("Now playing"));
    model.setIndex(Param::PTY, 29);
    model.setIndex(Param::TA, 1);
    model.setIndex(Param::AF3, 204);
    QTest::keyClicks(child<QLineEdit>(*form, "PI2"), "\b\b\b\bkabc");   // typed, not converted
    const ParameterSet before = model.values();
    auto snapshot = [&form] {
        QStringList shown;
        for (QLineEdit *edit : form->findChildren<QLineEdit *>())
            shown << edit->objectName() + '=' + edit->text();
        for (QComboBox *list : form->findChildren<QComboBox *>())
            shown << list->objectName() + '=' + list->currentText();
        return shown;
    };
    const QStringList shownBefore = snapshot();
    QVERIFY(shownBefore.contains(QStringLiteral("PI2=KABC")));

    auto *mode = child<QPushButton>(*form, "ModeBtn");
    mode->click();
    mode->click();
    QCOMPARE(model.values(), before);
    QCOMPARE(model.callLetters(), QStringLiteral("KABC"));
    QCOMPARE(snapshot(), shownBefore);
}

// ------------------------------------------------------------------ TA colour

void MainFormTest::taColour_data()
{
    QTest::addColumn<bool>("byUser");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("red");

    QTest::newRow("user ON") << true << 1 << true;
    QTest::newRow("user OFF") << true << 0 << false;
    QTest::newRow("program ON") << false << 1 << true;
    QTest::newRow("program OFF") << false << 0 << false;
    QTest::newRow("program nothing") << false << -1 << true;
    QTest::newRow("program out of range") << false << 5 << true;
}

void MainFormTest::taColour()
{
    QFETCH(bool, byUser);
    QFETCH(int, index);
    QFETCH(bool, red);
    auto form = makeForm();
    auto *ta = child<QComboBox>(*form, "TA");
    const QColor window = QApplication::palette().color(QPalette::Base);
    // What is drawn: the face of the box, between its text and its arrow.
    auto face = [ta] {
        const QImage image = ta->grab().toImage();
        return image.pixelColor(image.width() * 2 / 3, image.height() / 2);
    };
    QCOMPARE(face(), window);

    // Start from the other colour so that every row shows a change.
    form->model().setIndex(Param::TA, red ? 0 : 1);
    QCOMPARE(face(), red ? window : QColor(255, 0, 0));
    if (byUser) {
        ta->setFocus();
        QTest::keyClick(ta, index == 1 ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(ta->currentIndex(), index);
        QCOMPARE(form->model().index(Param::TA), index);
    } else {
        form->model().setIndex(Param::TA, index);
    }
    QCOMPARE(face(), red ? QColor(255, 0, 0) : window);
}

// -------------------------------------------------------------------- rulers

void MainFormTest::rulerTicks_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("xs");
    QTest::addColumn<QList<int>>("longXs");

    QTest::newRow("cell 7") << 7 << 60 << QList<int>{0, 7, 14, 21, 28, 35, 42, 49, 56} << QList<int>{0, 56};
    QTest::newRow("cell 8") << 8 << 25 << QList<int>{0, 8, 16, 24} << QList<int>{0, 8, 16, 24};
    QTest::newRow("cell 6") << 6 << 25 << QList<int>{0, 6, 12, 18, 24} << QList<int>{0, 24};
    QTest::newRow("x equal to width excluded") << 7 << 56 << QList<int>{0, 7, 14, 21, 28, 35, 42, 49}
                                               << QList<int>{0};
    QTest::newRow("no cell width") << 0 << 453 << QList<int>{} << QList<int>{};
}

void MainFormTest::rulerTicks()
{
    QFETCH(int, cell);
    QFETCH(int, width);
    QFETCH(QList<int>, xs);
    QFETCH(QList<int>, longXs);
    QList<int> gotXs, gotLong;
    for (const RulerTick &t : brevolan::rulerTicks(cell, width, 15)) {
        gotXs << t.x;
        if (t.top == 6)
            gotLong << t.x;
        else
            QCOMPARE(t.top, 12);
        QCOMPARE(t.bottom, 13);
    }
    QCOMPARE(gotXs, xs);
    QCOMPARE(gotLong, longXs);
}

void MainFormTest::rulerDrawsUnderEachCell_data()
{
    QTest::addColumn<QString>("ruler");
    QTest::addColumn<QString>("edit");
    QTest::newRow("PB1 over DPS") << "PB1" << "DPS";
    QTest::newRow("PB2 over Text") << "PB2" << "Text";
}

void MainFormTest::rulerDrawsUnderEachCell()
{
    QFETCH(QString, ruler);
    QFETCH(QString, edit);
    auto form = makeForm();
    auto *box = form->findChild<QWidget *>(ruler);
    QCOMPARE(box->font(), form->findChild<QLineEdit *>(edit)->font());

    const int cell = QFontMetrics(box->font()).horizontalAdvance(QLatin1Char('W'));
    QVERIFY(cell > 0);
    QImage image(box->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    // Children only: the ruler fills no background of its own.
    box->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    int ticks = 0;
    for (int x = 0; x < image.width(); ++x) {
        const bool tick = x % cell == 0;
        const bool isLong = tick && x % 8 == 0;
        ticks += tick;
        for (int y = 0; y < image.height(); ++y) {
            const bool inked = tick && y <= 13 && y >= (isLong ? 6 : 12);
            if (image.pixel(x, y) != (inked ? black : white))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 of %3 (cell %4)").arg(x).arg(y).arg(ruler).arg(cell)));
        }
    }
    QCOMPARE(ticks, (453 + cell - 1) / cell);
}

// ------------------------------------------------------ conversions, errors

void MainFormTest::piConversions()
{
    auto form = makeForm();
    auto *pi1 = child<QLineEdit>(*form, "PI1");
    auto *pi2 = child<QLineEdit>(*form, "PI2");
    form->model().setText(Param::PI, QString());
    QTest::keyClicks(pi1, "54a8");
    child<QPushButton>(*form, "PI1ToPI2")->click();
    QCOMPARE(pi2->text(), QStringLiteral("WAAA"));

    QTest::keyClicks(pi2, "\b\b\b\bkzzz");
    child<QPushButton>(*form, "PI2ToPI1")->click();
    QCOMPARE(pi1->text(), QStringLiteral("54A7"));
    QVERIFY(m_prompts.shown.isEmpty());
}

void MainFormTest::invalidPiShowsErrorAndKeepsCallLetters()
{
    auto form = makeForm();
    form->model().setText(Param::PI, QStringLiteral("XYZ"));   // as a file may hold it
    child<QPushButton>(*form, "PI1ToPI2")->click();
    QCOMPARE(m_prompts.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("'$XYZ' is not a valid integer value.")});
    QCOMPARE(child<QLineEdit>(*form, "PI2")->text(), QStringLiteral("----"));
    QCOMPARE(child<QLineEdit>(*form, "PI1")->text(), QStringLiteral("XYZ"));
}

void MainFormTest::errorBoxFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("no stop") << "abc" << "abc.";
    QTest::newRow("stop") << "abc." << "abc.";
    QTest::newRow("blank sorts before stop") << "abc " << "abc ";
    QTest::newRow("exclamation sorts before stop") << "abc!" << "abc!";
    QTest::newRow("question sorts after stop") << "abc?" << "abc?.";
    QTest::newRow("quote sorts before stop") << "Cannot open file \"x\"" << "Cannot open file \"x\"";
    QTest::newRow("digit sorts after stop") << "Error 5" << "Error 5.";
    QTest::newRow("empty") << "" << ".";
}

void MainFormTest::errorBoxFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    auto form = makeForm();
    form->guard([&] { throw BrevolanError(message); });
    form->guard([&] { throw std::runtime_error(message.toStdString()); });
    QCOMPARE(m_prompts.texts(QStringLiteral("error")), (QStringList{shown, shown}));
}

// --------------------------------------------------------------- help, logo

void MainFormTest::helpOpensOnlyExistingFile()
{
    auto form = makeForm();
    QList<QUrl> opened;
    form->setUrlOpener([&opened](const QUrl &url) { opened << url; });
    auto *help = form->findChild<QAction *>(QStringLiteral("miHelp"));

    // Nothing beside the test program: nothing opens, nothing is said.
    QVERIFY(!QFileInfo::exists(form->helpFile()));
    help->trigger();
    QVERIFY(opened.isEmpty());
    QVERIFY(m_prompts.shown.isEmpty());

    QTemporaryDir dir;
    const QString chm = dir.filePath(QStringLiteral("Brevolan4.chm"));
    QFile file(chm);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    form->setHelpFile(chm);
    help->trigger();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(chm)});
}

void MainFormTest::logoOpensReadmeOnLeftClickOnly()
{
    auto form = makeForm();
    QList<QUrl> opened;
    form->setUrlOpener([&opened](const QUrl &url) { opened << url; });
    auto *logo = child<QWidget>(*form, "Image1");

    QTest::mouseClick(logo, Qt::RightButton);
    QTest::mouseClick(logo, Qt::MiddleButton);
    QVERIFY(opened.isEmpty());

    QTest::mouseClick(logo, Qt::LeftButton);
    const QString readme = brevolan::readmePath();
    QCOMPARE(opened, readme.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(readme)});
    QVERIFY(m_prompts.shown.isEmpty());
}

// ---------------------------------------------------------------- shut-down

void MainFormTest::closeStoresMode_data()
{
    QTest::addColumn<QString>("storedBefore");   // empty: nothing stored
    QTest::addColumn<int>("toggles");
    QTest::addColumn<QString>("storedAfter");
    QTest::addColumn<QString>("nextMode");
    QTest::addColumn<QString>("nextPty2");

    QTest::newRow("RBDS to RDS") << QString() << 1 << "0" << "RDS" << "CURRENT AFFAIRS";
    QTest::newRow("RBDS kept") << QString() << 0 << "1" << "RBDS" << "INFORMATION";
    QTest::newRow("RDS to RBDS") << "0" << 1 << "1" << "RBDS" << "INFORMATION";
    QTest::newRow("odd stored text kept as RBDS") << "abc" << 2 << "1" << "RBDS" << "INFORMATION";
}

void MainFormTest::closeStoresMode()
{
    QFETCH(QString, storedBefore);
    QFETCH(int, toggles);
    QFETCH(QString, storedAfter);
    QFETCH(QString, nextMode);
    QFETCH(QString, nextPty2);
    if (!storedBefore.isEmpty())
        storeValue(QStringLiteral("RDSMode"), storedBefore);

    auto form = makeForm();
    form->show();
    for (int i = 0; i < toggles; ++i)
        child<QPushButton>(*form, "ModeBtn")->click();
    QVERIFY(form->close());
    QCOMPARE(storedValue(QStringLiteral("RDSMode")), storedAfter);
    QCOMPARE(storedValue(QStringLiteral("DevID")), QString());   // never written at close
    form.reset();

    auto next = makeForm();
    QCOMPARE(child<QPushButton>(*next, "ModeBtn")->text(), nextMode);
    QCOMPARE(child<QComboBox>(*next, "PTY")->itemText(2), nextPty2);
    QVERIFY(m_prompts.shown.isEmpty());
}

void MainFormTest::exitClosesAndStores()
{
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    child<QPushButton>(*form, "ModeBtn")->click();
    form->findChild<QAction *>(QStringLiteral("miExit"))->trigger();
    QVERIFY(!form->isVisible());
    QCOMPARE(storedValue(QStringLiteral("RDSMode")), QStringLiteral("0"));
}

void MainFormTest::refusedStoreIsReportedAndWindowCloses()
{
    RefusingPreferences refusing;
    auto form = makeForm(&refusing);
    form->show();
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
    QCOMPARE(m_prompts.texts(QStringLiteral("error")),
             QStringList{QStringLiteral("Cannot write the setting RDSMode to /nowhere/ostrel9.conf.")});
}

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
