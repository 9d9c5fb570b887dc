// The watch's pure parts: transliteration, the text sent for a line, the
// retry pauses, and the pending slot with a scripted encoder.

#include "cli/NowPlayingText.h"
#include "cli/NowPlayingWatch.h"
#include "cli/Transliterate.h"
#include "cli/WatchLog.h"

#include <QtTest>
#include <cstdio>

using namespace brevolan::cli;

class NowPlayingTextTest : public QObject {
    Q_OBJECT
private slots:
    void transliteration_data();
    void transliteration();
    void replacementsLoggedOncePerCharacter();
    void composedText_data();
    void composedText();
    void decoding_data();
    void decoding();
    void retryPauses();
    void coalescesAndSkipsUnchanged();
    void failureKeepsNewestAndResends();
    void timestampHasOffset();
};

void NowPlayingTextTest::transliteration_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QStringList>("unknown");
    const QStringList none;
    QTest::newRow("ascii untouched") << "AC/DC - Back In Black (1980) #1 ~ok" << "AC/DC - Back In Black (1980) #1 ~ok" << none;
    QTest::newRow("latin-1 accents") << "Beyoncé, Björk, Mötley Crüe, Françoise" << "Beyonce, Bjork, Motley Crue, Francoise" << none;
    QTest::newRow("decomposed input") << QString::fromUtf8("Sigur Ro\xcc\x81s") << "Sigur Ros" << none;
    QTest::newRow("central european") << "Dvořák, Łódź, Świątek, Đoković" << "Dvorak, Lodz, Swiatek, Dokovic" << none;
    QTest::newRow("letters without decomposition") << "Straße Æon Øresund Œuvre þorn" << "Strasse AEon Oresund OEuvre thorn" << none;
    QTest::newRow("typographic punctuation") << "“Don’t Stop” – Live…" << "\"Don't Stop\" - Live..." << none;
    QTest::newRow("compatibility forms") << "ﬁre Ｆｕｌｌ ²" << "fire Full 2" << none;
    QTest::newRow("white space") << "A\tB\u00a0C\u2009D" << "A B C D" << none;
    QTest::newRow("no plain form") << "Кино - 漢字" << "???? - ??" << QStringList{"К", "и", "н", "о", "漢", "字"};
    QTest::newRow("emoji is one character") << "Hit 🎵!" << "Hit ?!" << QStringList{"🎵"};
    QTest::newRow("control character") << QString("A\u0001B") << "A?B" << QStringList{"U+0001"};
}

void NowPlayingTextTest::transliteration()
{
    QFETCH(QString, input);
    QFETCH(QString, plain);
    QFETCH(QStringList, unknown);
    const PlainText result = toPlainText(input);
    QCOMPARE(result.text, plain);
    QCOMPARE(result.unknown, unknown);
    for (const QChar c : result.text)
        QVERIFY(c.unicode() >= 32 && c.unicode() <= 126);
}

void NowPlayingTextTest::replacementsLoggedOncePerCharacter()
{
    const PlainText result = toPlainText(QStringLiteral("Éé é ß 漢 漢"));
    QCOMPARE(result.replacements, (QStringList{"É→E", "é→e", "ß→ss"}));
    QCOMPARE(describeReplacements(result), QStringLiteral("replaced É→E, é→e, ß→ss; no plain form for 漢 (sent as ?)"));
    QVERIFY(describeReplacements(toPlainText(QStringLiteral("plain"))).isEmpty());
}

void NowPlayingTextTest::composedText_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cut");
    const QString sixty = QString(60, QLatin1Char('x'));
    QTest::newRow("trimmed") << "  Queen - Bohemian Rhapsody \t" << "" << "Queen - Bohemian Rhapsody" << false;
    QTest::newRow("prefix kept as given") << " Queen - Innuendo" << "Now playing: " << "Now playing: Queen - Innuendo" << false;
    QTest::newRow("64 exactly") << QString(64, QLatin1Char('a')) << "" << QString(64, QLatin1Char('a')) << false;
    QTest::newRow("65 cut") << QString(65, QLatin1Char('a')) << "" << QString(64, QLatin1Char('a')) << true;
    QTest::newRow("prefix counts") << sixty << "On air: " << QString("On air: ") + QString(56, QLatin1Char('x')) << true;
    QTest::newRow("no blank left at the cut") << QString(63, QLatin1Char('a')) + "  bc" << "" << QString(63, QLatin1Char('a')) << true;
    // Replacement may lengthen the text: the cut comes after it.
    QTest::newRow("cut after replacement") << QString(63, QLatin1Char('a')) + "ß" << "" << QString(63, QLatin1Char('a')) + "s" << true;
    QTest::newRow("blank line clears, no lone prefix") << "   " << "Now playing: " << "" << false;
}

void NowPlayingTextTest::composedText()
{
    QFETCH(QString, line);
    QFETCH(QString, prefix);
    QFETCH(QString, text);
    QFETCH(bool, cut);
    const NowPlayingText result = nowPlayingText(line, prefix, 64);
    QCOMPARE(result.text, text);
    QCOMPARE(result.cut, cut);
}

void NowPlayingTextTest::decoding_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("line");
    QTest::newRow("utf-8, LF") << QByteArray("Bj\xc3\xb6rk - Joga\nnext line\n") << QString("Björk - Joga");
    QTest::newRow("CR LF") << QByteArray("Artist - Title\r\nmore") << QString("Artist - Title");
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf" "Artist - Title\n") << QString("Artist - Title");
    QTest::newRow("windows code page") << QByteArray("Bj\xf6rk - \x93J\xf3ga\x94 \x96 Live\r\n") << QString("Björk - “Jóga” – Live");
    QTest::newRow("no line end") << QByteArray("Artist - Title") << QString("Artist - Title");
    QTest::newRow("empty first line") << QByteArray("\nArtist") << QString();
}

void NowPlayingTextTest::decoding()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, line);
    QCOMPARE(firstLineOf(contents), line);
}

void NowPlayingTextTest::retryPauses()
{
    QList<int> pauses;
    int ms = 0;
    for (int i = 0; i < 8; ++i)
        pauses << (ms = nextRetryDelayMs(ms));
    QCOMPARE(pauses, (QList<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
}

namespace {

// An encoder scripted per attempt: true sends, false fails.
struct ScriptedEncoder {
    QStringList attempts;
    QList<bool> answers;   // used in turn; empty: always sends
    SendOutcome operator()(const QString &text)
    {
        attempts << text;
        const bool ok = answers.isEmpty() ? true : answers.takeFirst();
        return ok ? SendOutcome{true, {}} : SendOutcome{false, QStringLiteral("Brevolan 4 - Communications Error.")};
    }
};

NowPlayingText update(const QString &line) { return nowPlayingText(line, QString(), 64); }

} // namespace

void NowPlayingTextTest::coalescesAndSkipsUnchanged()
{
    FILE *sink = std::fopen("/dev/null", "w");
    WatchLog log(sink);
    ScriptedEncoder encoder;
    NowPlayingWatch watch([&](const QString &t) { return encoder(t); }, QStringLiteral("TEXT"), log);

    // Three texts before the event loop runs: only the newest goes out.
    watch.offer(update(QStringLiteral("one")));
    watch.offer(update(QStringLiteral("two")));
    watch.offer(update(QStringLiteral("three")));
    QTRY_COMPARE(encoder.attempts, QStringList{"three"});
    QVERIFY(watch.idle());

    // The same text again, and a change that is taken back before it was sent.
    watch.offer(update(QStringLiteral("three")));
    watch.offer(update(QStringLiteral("four")));
    watch.offer(update(QStringLiteral("three")));
    QTest::qWait(50);
    QCOMPARE(encoder.attempts, QStringList{"three"});
    QCOMPARE(watch.onAir(), std::optional<QString>(QStringLiteral("three")));
    std::fclose(sink);
}

void NowPlayingTextTest::failureKeepsNewestAndResends()
{
    FILE *sink = std::fopen("/dev/null", "w");
    WatchLog log(sink);
    ScriptedEncoder encoder;
    encoder.answers = {true, false, true};
    NowPlayingWatch watch([&](const QString &t) { return encoder(t); }, QStringLiteral("TEXT"), log);

    watch.offer(update(QStringLiteral("A")));
    QTRY_COMPARE(encoder.attempts.size(), 1);
    watch.offer(update(QStringLiteral("B")));
    QTRY_COMPARE(encoder.attempts.size(), 2);
    QCOMPARE(watch.retryDelayMs(), 1000);
    QVERIFY(!watch.onAir().has_value());   // the encoder may have lost its text

    // During the pause a newer text replaces the failed one; the text that
    // was on air before is no longer taken for granted.
    watch.offer(update(QStringLiteral("A")));
    QTest::qWait(300);
    QCOMPARE(encoder.attempts.size(), 2);   // still pausing
    QTRY_COMPARE_WITH_TIMEOUT(encoder.attempts, (QStringList{"A", "B", "A"}), 3000);
    QCOMPARE(watch.retryDelayMs(), 0);
    QVERIFY(watch.idle());
    std::fclose(sink);
}

void NowPlayingTextTest::timestampHasOffset()
{
    const QDateTime t(QDate(2026, 12, 11), QTime(14, 5, 9, 412), Qt::OffsetFromUTC, 3600);
    QCOMPARE(logTimestamp(t), QStringLiteral("2026-12-11T14:05:09.412+01:00"));
}

QTEST_GUILESS_MAIN(NowPlayingTextTest)
#include "NowPlayingTextTest.moc"
