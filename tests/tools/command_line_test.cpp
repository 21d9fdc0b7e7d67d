// --help and --version of every program, per-command help of lexbook, and its manual page.
#include "common/dictionary/dict_builder.h"
#include "common/version.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

using lextest::runTool;

namespace {

// No display of any kind: help and version must not need one.
const QStringList kNoDisplay = {QStringLiteral("DISPLAY="), QStringLiteral("WAYLAND_DISPLAY="),
                                QStringLiteral("QT_QPA_PLATFORM=")};

QStringList lexbookCommands()
{
    const lextest::ToolRun r = lextest::lexbook({QStringLiteral("--help")});
    QStringList names;
    static const QRegularExpression line(QStringLiteral("^  lexbook ([a-z-]+)"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(r.out); it.hasNext();) {
        const QString n = it.next().captured(1);
        if (!names.contains(n))
            names << n;
    }
    return names;
}

} // namespace

TEST(CommandLine, LexoraAnswersHelpAndVersionWithoutADisplay)
{
    const QString exe = QStringLiteral(LEXORA_EXE);
    lextest::ToolRun r = runTool(exe, {QStringLiteral("--help")}, kNoDisplay);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("--home <DIR>")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("--version")));
    r = runTool(exe, {QStringLiteral("--home"), QStringLiteral("/nowhere"), QStringLiteral("--version")}, kNoDisplay);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("Lexora %1\n").arg(QLatin1String(lex::kVersion)));
    // Mistakes end at once with a hint, before any window or lock.
    r = runTool(exe, {QStringLiteral("--hme"), QStringLiteral("x")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Try 'Lexora --help'"))) << r.err.toStdString();
    r = runTool(exe, {QStringLiteral("words.txt")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("unexpected argument 'words.txt'")));
}

TEST(CommandLine, GlosixAnswersHelpAndVersionWithoutADisplay)
{
    const QString exe = QStringLiteral(GLOSIX_EXE);
    lextest::ToolRun r = runTool(exe, {QStringLiteral("--help")}, kNoDisplay);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("--home <DIR>")));
    r = runTool(exe, {QStringLiteral("--version")}, kNoDisplay);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("Glosix %1\n").arg(QLatin1String(lex::kVersion)));
    r = runTool(exe, {QStringLiteral("--home")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Try 'Glosix --help'"))) << r.err.toStdString();
    r = runTool(exe, {QStringLiteral("stray")});
    EXPECT_EQ(r.code, 2);
}

// Glosix draws phonetics as IPA in its text font: a start of it leaves the learner's fonts folder
// alone, even with the old phonetic font beside the program (installing that is Lexora's).
TEST(CommandLine, GlosixRunsWithoutInstallingThePhoneticFont)
{
    lextest::TempDir dir;
    for (const char* sub : {"home/Dict", "home/Voice", "data"})
        ASSERT_TRUE(QDir().mkpath(dir.path(QString::fromLatin1(sub))));
    ASSERT_TRUE(QDir().mkdir(dir.path(QStringLiteral("run"))));
    ASSERT_TRUE(QFile::setPermissions(dir.path(QStringLiteral("run")),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    dir.write(QStringLiteral("home/Config.INI"), "[INIT]\nIsDisableTTS=1\n");
    QByteArray idx, dic;   // a dictionary it can open, or a message box would hold up its start
    lex::DictBuildOptions o;
    o.variant = lex::DictVariant::Companion;
    ASSERT_TRUE(lex::encodeDictionary({{QStringLiteral("go"), {}, {}, QStringLiteral("`1`go")}}, o, &idx, &dic, nullptr));
    dir.write(QStringLiteral("home/Dict/21ct.idx"), idx);
    dir.write(QStringLiteral("home/Dict/21ct.dic"), dic);
    dir.write(QStringLiteral("home/Ksphonet.ttf"), "not really a font");

    QProcess glosix;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    e.insert(QStringLiteral("XDG_DATA_HOME"), dir.path(QStringLiteral("data")));
    e.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path(QStringLiteral("run")));
    e.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("lexora.glosix.info=true"));
    glosix.setProcessEnvironment(e);
    glosix.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    glosix.setReadChannel(QProcess::StandardError);
    glosix.start(QStringLiteral(GLOSIX_EXE), {QStringLiteral("--home"), dir.path(QStringLiteral("home"))});
    QByteArray log;
    while (!log.contains("ready") && glosix.waitForReadyRead(10000))
        log += glosix.readAllStandardError();
    ASSERT_TRUE(log.contains("ready")) << log.toStdString();
    glosix.terminate();   // ends as its close box does
    ASSERT_TRUE(glosix.waitForFinished(10000));
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("data/fonts/Ksphonet.ttf"))));
}

TEST(CommandLine, LexbookHelpPerCommandAndVersion)
{
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("--version")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("lexbook %1\n").arg(QLatin1String(lex::kVersion)));

    const QStringList names = lexbookCommands();
    EXPECT_GE(names.size(), 8);
    for (const QString& n : names) {
        const lextest::ToolRun viaHelp = lextest::lexbook({QStringLiteral("help"), n});
        const lextest::ToolRun viaOption = lextest::lexbook({n, QStringLiteral("--help")});
        EXPECT_EQ(viaHelp.code, 0) << n.toStdString();
        EXPECT_EQ(viaOption.code, 0) << n.toStdString();
        EXPECT_TRUE(viaHelp.out.startsWith(QStringLiteral("usage: lexbook ") + n)) << viaHelp.out.toStdString();
        EXPECT_EQ(viaHelp.out, viaOption.out);
    }
    r = lextest::lexbook({QStringLiteral("help"), QStringLiteral("frobnicate")});
    EXPECT_EQ(r.code, 2);
    r = lextest::lexbook({});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Commands:")));
}

TEST(CommandLine, LexbookOptionsAfterTheCommandBelongToIt)
{
    // "--help" after "--" is a value, not a request for help.
    lextest::TempDir t;
    const QString ini = t.path(QStringLiteral("Config.INI"));
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("config"), ini, QStringLiteral("set"), QStringLiteral("INIT"),
                                          QStringLiteral("Note"), QStringLiteral("--"), QStringLiteral("--help")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = lextest::lexbook({QStringLiteral("config"), ini, QStringLiteral("get"), QStringLiteral("INIT"), QStringLiteral("Note")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("--help"));
}

TEST(CommandLine, TheManualPageDescribesEveryCommand)
{
    QFile f(QStringLiteral(LEXBOOK_MAN));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString man = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(man.contains(QStringLiteral("\"Lexora %1\"").arg(QLatin1String(lex::kVersion))))
        << "the page's header names this version";
    for (const QString& n : lexbookCommands())
        EXPECT_TRUE(man.contains(QStringLiteral(".BI \"%1 ").arg(n))) << n.toStdString() << " is not in lexbook.1";
}

TEST(CommandLine, LongWorkShowsProgressOnlyOnATerminal)
{
    lextest::TempDir t;
    t.write(QStringLiteral("ecdict.csv"),
            "word,phonetic,definition,translation,pos,collins,oxford,tag,bnc,frq,exchange,detail,audio\n"
            "apple,'æpl,n. fruit,n. 苹果,,0,1,,1,1,,,\n");
    const QStringList args = {QStringLiteral("dict-ecdict"), t.path(QStringLiteral("ecdict.csv")), t.path(QStringLiteral("out"))};
    const lextest::ToolRun plain = lextest::lexbook(args);
    EXPECT_EQ(plain.code, 0) << plain.err.toStdString();
    EXPECT_FALSE(plain.err.contains(QLatin1Char('\r'))) << "no progress into a pipe or a log";

    // script(1) gives the command a terminal of its own.
    QString command = lextest::lexbookPath();
    for (const QString& a : args)
        command += QStringLiteral(" '") + a + QLatin1Char('\'');
    const lextest::ToolRun tty = runTool(QStringLiteral("script"),
                                         {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    EXPECT_EQ(tty.code, 0) << tty.out.toStdString();
    for (const char* step : {"reading ", "parsing the CSV", "converting 1 records", "writing 1 entries"})
        EXPECT_TRUE(tty.out.contains(QStringLiteral("\r\x1b[Klexbook: ") + QLatin1String(step))) << step;
    EXPECT_TRUE(tty.out.contains(QStringLiteral("1 entries written"))) << tty.out.toStdString();
}
