// Typing limits that hold for the user's typing and pasting only, like a
// Windows edit's text limit; text put in by the program stays whole.

#include "app/LimitedEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QtTest>

using namespace brevolan;

class LimitedEditTest : public QObject {
    Q_OBJECT
private slots:
    void limitTyping_data();
    void limitTyping();
    void pasteIsCut_data();
    void pasteIsCut();
    void programTextIsWholeAndSilent();
    void upperCaseConvertsUserEditsOnly();
};

void LimitedEditTest::limitTyping_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("edited");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("resultCursor");

    QTest::newRow("within limit") << "ABC" << "ABCD" << 4 << 8 << "ABCD" << 4;
    QTest::newRow("at limit, typed at end") << "ABCDEFGH" << "ABCDEFGHI" << 9 << 8 << "ABCDEFGH" << 8;
    QTest::newRow("at limit, typed in middle") << "ABCDEFGH" << "ABCxDEFGH" << 4 << 8 << "ABCDEFGH" << 3;
    QTest::newRow("paste cut to room") << "AB" << "AB123456789" << 11 << 8 << "AB123456" << 8;
    QTest::newRow("paste into middle cut") << "AB" << "A12345678B" << 9 << 8 << "A123456B" << 7;
    QTest::newRow("selection replaced") << "ABCDEFGH" << "AxyzEFGH" << 4 << 8 << "AxyzEFGH" << 4;
    QTest::newRow("replacement grows past limit")
        << "ABCDEFGH" << "AwxyzEFGH" << 5 << 8 << "AwxyEFGH" << 4;
    QTest::newRow("long program text may shrink") << "ABCDEFGHIJ" << "ABCDEFGHI" << 9 << 8 << "ABCDEFGHI" << 9;
    QTest::newRow("long program text may not grow")
        << "ABCDEFGHIJ" << "ABCDEFGHIJK" << 11 << 8 << "ABCDEFGHIJ" << 10;
    QTest::newRow("repeated letter") << "AAAA" << "AAAAA" << 5 << 4 << "AAAA" << 4;
    QTest::newRow("no limit") << "AB" << QString(100, 'x') << 100 << 0 << QString(100, 'x') << 100;
}

void LimitedEditTest::limitTyping()
{
    QFETCH(QString, before);
    QFETCH(QString, edited);
    QFETCH(int, cursor);
    QFETCH(int, limit);
    QFETCH(QString, result);
    QFETCH(int, resultCursor);
    const LimitedText out = brevolan::limitTyping(before, edited, cursor, limit);
    QCOMPARE(out.text, result);
    QCOMPARE(out.cursor, resultCursor);
}

void LimitedEditTest::pasteIsCut_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("result");

    QTest::newRow("empty field") << "" << "RADIO ONE FM" << "RADIO ON";
    QTest::newRow("partly filled") << "FM " << "KISS 100" << "FM KISS ";
    QTest::newRow("full field") << "ABCDEFGH" << "xyz" << "ABCDEFGH";
}

void LimitedEditTest::pasteIsCut()
{
    QFETCH(QString, start);
    QFETCH(QString, clipboard);
    QFETCH(QString, result);
    LimitedEdit edit;
    edit.setTypingLimit(8);
    edit.setProgramText(start);
    edit.end(false);
    QSignalSpy edits(&edit, &LimitedEdit::userEdited);
    QApplication::clipboard()->setText(clipboard);
    edit.paste();
    QCOMPARE(edit.text(), result);
    if (result != start) {
        QCOMPARE(edits.count(), 1);
        QCOMPARE(edits.at(0).at(0).toString(), result);
    }
}

void LimitedEditTest::programTextIsWholeAndSilent()
{
    LimitedEdit edit;
    edit.setTypingLimit(8);
    QSignalSpy edits(&edit, &LimitedEdit::userEdited);
    edit.setProgramText(QStringLiteral("TEN CHARS!"));
    QCOMPARE(edit.text(), QStringLiteral("TEN CHARS!"));
    QCOMPARE(edits.count(), 0);
    QVERIFY(edit.maxLength() > 64);
}

void LimitedEditTest::upperCaseConvertsUserEditsOnly()
{
    LimitedEdit edit;
    edit.setTypingLimit(4);
    edit.setUpperCase(true);
    edit.setProgramText(QStringLiteral("ab"));
    QCOMPARE(edit.text(), QStringLiteral("ab"));
    edit.end(false);
    QTest::keyClicks(&edit, "c");
    QCOMPARE(edit.text(), QStringLiteral("ABC"));
    QCOMPARE(edit.cursorPosition(), 3);
    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, "x");
    QCOMPARE(edit.text(), QStringLiteral("AXBC"));
    QCOMPARE(edit.cursorPosition(), 2);
}

QTEST_MAIN(LimitedEditTest)
#include "LimitedEditTest.moc"
