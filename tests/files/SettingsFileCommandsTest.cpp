// File > Open, Save and Save As: dialogs, CurrentFileName and the caption.

#include "support/ScriptedPrompts.h"
#include "common/BrevolanError.h"
#include "files/SettingsFileCommands.h"
#include "model/ParameterModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace brevolan;
using brevolan::test::ScriptedPrompts;

namespace {
const QString Base = QStringLiteral("Brevolan 4");
}

class SettingsFileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void dialogOptions();
    void cancelChangesNothing();
    void openNamesFileAndLoads();
    void openReplacesNameInBrackets();
    void failedOpenStillNamesFile();
    void failedLoadAtPiStillNamesFile();
    void saveWithoutFileRunsSaveAs();
    void saveAfterOpenWritesWithoutDialog();
    void failedSaveAsStillNamesFile();
    void dialogsRememberTheirOwnLastName();

private:
    QString fixture(const QString &name, const QByteArray &bytes) const;
    static QByteArray readAll(const QString &file);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ParameterModel> m_model;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<SettingsFileCommands> m_commands;
    QStringList m_captions;
};

void SettingsFileCommandsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_model = std::make_unique<ParameterModel>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_commands = std::make_unique<SettingsFileCommands>(*m_model, *m_prompts, Base);
    m_captions.clear();
    m_commands->onCaptionChanged = [this](const QString &c) { m_captions << c; };
}

QString SettingsFileCommandsTest::fixture(const QString &name, const QByteArray &bytes) const
{
    QFile f(m_dir->filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the fixture %s", qPrintable(f.fileName()));
    return f.fileName();
}

QByteArray SettingsFileCommandsTest::readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void SettingsFileCommandsTest::dialogOptions()
{
    m_commands->miOpenClick();
    QCOMPARE(m_prompts->lastOptions.filter, QStringLiteral("RDS settings (*.bvx);;All files (*)"));
    QCOMPARE(m_prompts->lastOptions.defaultSuffix, QStringLiteral("bvx"));
    QCOMPARE(m_prompts->lastOptions.initialName, QString());
    m_commands->miSaveAsClick();
    QCOMPARE(m_prompts->lastOptions.filter, QStringLiteral("RDS settings (*.bvx);;All files (*)"));
    QCOMPARE(m_prompts->lastOptions.defaultSuffix, QStringLiteral("bvx"));
    QCOMPARE(m_prompts->lastOptions.initialName, QString());
}

void SettingsFileCommandsTest::cancelChangesNothing()
{
    m_commands->miOpenClick();
    m_commands->miSaveAsClick();
    m_commands->miSaveClick();   // no file yet: Save As, cancelled too
    QCOMPARE(m_prompts->texts(QStringLiteral("open")).size(), 1);
    QCOMPARE(m_prompts->texts(QStringLiteral("save")).size(), 2);
    QCOMPARE(m_commands->caption(), Base);
    QVERIFY(m_commands->currentFileName().isEmpty());
    QVERIFY(m_captions.isEmpty());
    QCOMPARE(m_model->values(), ParameterSet::defaults());
}

void SettingsFileCommandsTest::openNamesFileAndLoads()
{
    const QString file = fixture(QStringLiteral("morning.bvx"), "PI=54A8\r\nPS=MORNING\r\n");
    m_prompts->fileAnswers.enqueue(file);
    m_commands->miOpenClick();
    QCOMPARE(m_commands->currentFileName(), file);
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [morning.bvx]"));
    QCOMPARE(m_captions, QStringList{QStringLiteral("Brevolan 4 - [morning.bvx]")});
    QCOMPARE(m_model->text(Param::PS), QStringLiteral("MORNING"));
    QCOMPARE(m_model->callLetters(), QStringLiteral("WAAA"));
}

void SettingsFileCommandsTest::openReplacesNameInBrackets()
{
    m_prompts->fileAnswers << fixture(QStringLiteral("a.bvx"), "PI=1234\r\n")
                           << fixture(QStringLiteral("b.bvx"), "PI=4321\r\n");
    m_commands->miOpenClick();
    m_commands->miOpenClick();
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [b.bvx]"));
    QCOMPARE(m_model->text(Param::PI), QStringLiteral("4321"));
}

void SettingsFileCommandsTest::failedOpenStillNamesFile()
{
    const QString missing = m_dir->filePath(QStringLiteral("gone.bvx"));
    m_prompts->fileAnswers.enqueue(missing);
    QVERIFY_THROWS_EXCEPTION(BrevolanError, m_commands->miOpenClick());
    QCOMPARE(m_commands->currentFileName(), missing);
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [gone.bvx]"));
    QCOMPARE(m_model->values(), ParameterSet::defaults());
}

void SettingsFileCommandsTest::failedLoadAtPiStillNamesFile()
{
    m_prompts->fileAnswers.enqueue(fixture(QStringLiteral("nopi.bvx"), "PS=NOPI\r\n"));
    try {
        m_commands->miOpenClick();
        QFAIL("a file without PI loaded");
    } catch (const BrevolanError &e) {
        QCOMPARE(e.message(), QStringLiteral("'$' is not a valid integer value"));
    }
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [nopi.bvx]"));
    QCOMPARE(m_model->text(Param::PS), QStringLiteral("BREVOLAN"));
}

void SettingsFileCommandsTest::saveWithoutFileRunsSaveAs()
{
    const QString file = m_dir->filePath(QStringLiteral("first.bvx"));
    m_prompts->fileAnswers.enqueue(file);
    m_commands->miSaveClick();
    QCOMPARE(m_prompts->texts(QStringLiteral("save")).size(), 1);
    QCOMPARE(m_commands->currentFileName(), file);
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [first.bvx]"));
    QVERIFY(readAll(file).startsWith("PI=FFFF\r\n"));
}

void SettingsFileCommandsTest::saveAfterOpenWritesWithoutDialog()
{
    const QString file = fixture(QStringLiteral("station.bvx"), "PI=1234\r\nPS=BEFORE\r\n");
    m_prompts->fileAnswers.enqueue(file);
    m_commands->miOpenClick();
    m_model->setText(Param::PS, QStringLiteral("AFTER"));
    m_commands->miSaveClick();
    QCOMPARE(m_prompts->texts(QStringLiteral("save")).size(), 0);
    QVERIFY(readAll(file).contains("PS=AFTER\r\n"));
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [station.bvx]"));
    QCOMPARE(m_captions.size(), 1);   // Save leaves the caption alone
}

void SettingsFileCommandsTest::failedSaveAsStillNamesFile()
{
    const QString file = m_dir->filePath(QStringLiteral("nofolder/new.bvx"));
    m_prompts->fileAnswers.enqueue(file);
    QVERIFY_THROWS_EXCEPTION(BrevolanError, m_commands->miSaveAsClick());
    QCOMPARE(m_commands->currentFileName(), file);
    QCOMPARE(m_commands->caption(), QStringLiteral("Brevolan 4 - [new.bvx]"));
}

void SettingsFileCommandsTest::dialogsRememberTheirOwnLastName()
{
    const QString opened = fixture(QStringLiteral("opened.bvx"), "PI=1234\r\n");
    const QString saved = m_dir->filePath(QStringLiteral("saved.bvx"));
    m_prompts->fileAnswers << opened << saved;
    m_commands->miOpenClick();
    m_commands->miSaveAsClick();   // SD starts empty: it never returned a name
    m_commands->miOpenClick();     // cancelled: OD starts with what it returned last
    m_commands->miSaveAsClick();   // cancelled
    QCOMPARE(m_prompts->texts(QStringLiteral("open")), QStringList({QString(), opened}));
    QCOMPARE(m_prompts->texts(QStringLiteral("save")), QStringList({QString(), saved}));
    // Cancelling kept the last file.
    QCOMPARE(m_commands->currentFileName(), saved);
}

QTEST_GUILESS_MAIN(SettingsFileCommandsTest)
#include "SettingsFileCommandsTest.moc"
