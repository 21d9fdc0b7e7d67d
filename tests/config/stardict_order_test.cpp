// STARDICT/Dictionaries: how the learner's order and choice of StarDict dictionaries is kept, and
// that the shelf Glosix builds and `lexbook lookup --all` follow it.
#include "stardict_files.h"
#include "temp_dir.h"
#include "tool_run.h"

#include "common/config/stardict_order.h"
#include "common/dictionary/dictionary_shelf.h"

#include <gtest/gtest.h>

using lex::StarDictChoice;

TEST(StarDictOrder, PathsAreKeptWhereTheyWereFoundAndReadBack)
{
    const QString prog = QStringLiteral("/opt/lexora"), home = QStringLiteral("/home/li");
    const std::vector<StarDictChoice> choices{
        {QStringLiteral("/opt/lexora/Dict/oald/oald.ifo"), true},
        {QStringLiteral("/home/li/.local/share/stardict/dic/a|b%/x.ifo"), false},
        {QStringLiteral("/usr/share/stardict/dic/wn/wn.ifo"), true},
    };
    const QString value = lex::encodeStarDictOrder(choices, prog, home);
    EXPECT_EQ(value, QStringLiteral("+Dict/oald/oald.ifo|-~/.local/share/stardict/dic/a%7Cb%25/x.ifo|"
                                    "+/usr/share/stardict/dic/wn/wn.ifo"));
    EXPECT_EQ(lex::decodeStarDictOrder(value, prog, home), choices);
    // Moved program and home folders keep the choice; items that are neither on nor off are skipped.
    EXPECT_EQ(lex::decodeStarDictOrder(value + QStringLiteral("|oops|+"), QStringLiteral("/srv/lx"), QStringLiteral("/u/li")),
              (std::vector<StarDictChoice>{{QStringLiteral("/srv/lx/Dict/oald/oald.ifo"), true},
                                           {QStringLiteral("/u/li/.local/share/stardict/dic/a|b%/x.ifo"), false},
                                           {QStringLiteral("/usr/share/stardict/dic/wn/wn.ifo"), true}}));
}

// Glosix's shelf and `lexbook lookup --all` over the same Config.INI: the stored order, the ones
// switched off left out, a stored one that is gone dropped, one never stored shown last.
TEST(StarDictOrder, TheShelfAndLexbookFollowTheStoredChoice)
{
    struct Case {
        const char* stored;   // null: no key
        QStringList sources;  // the dictionaries "go" is shown from, in order
    };
    const QString a = QStringLiteral("Alpha"), b = QStringLiteral("Beta"), c = QStringLiteral("Gamma");
    const Case cases[] = {
        {nullptr, {a, b, c}},
        {"+Dict/c/Gamma.ifo|+Dict/a/Alpha.ifo|+Dict/b/Beta.ifo", {c, a, b}},
        {"-Dict/a/Alpha.ifo|+Dict/gone/Gone.ifo|+Dict/c/Gamma.ifo", {c, b}},
    };
    for (const Case& k : cases) {
        lextest::TempDir dir;
        for (const auto& [folder, name] : {std::pair{"a", a}, std::pair{"b", b}, std::pair{"c", c}})
            lextest::writeStarDictFiles(dir, QStringLiteral("Dict/%1/%2").arg(QLatin1String(folder), name), name,
                                        {QStringLiteral("go")});
        if (k.stored)
            dir.write(QStringLiteral("Config.INI"), QByteArray("[STARDICT]\nDictionaries=") + k.stored + '\n');
        const lex::Profile profile(dir.path(QStringLiteral("Config.INI")));
        const QStringList folders{dir.path(QStringLiteral("Dict/a")), dir.path(QStringLiteral("Dict/b")),
                                  dir.path(QStringLiteral("Dict/c"))};
        lex::DictionaryShelf shelf;
        EXPECT_EQ(shelf.addStarDicts(lex::Env::defaultEnv(),
                                     lex::enabledStarDicts(lex::starDictChoices(profile, dir.path(), folders))),
                  k.sources.size());
        QStringList shown;
        for (const lex::ShelfEntry& e : shelf.lookUp(QStringLiteral("go")))
            shown << e.source;
        EXPECT_EQ(shown, k.sources) << (k.stored ? k.stored : "none");

        // Without its own dictionary lexbook says so and goes on; the empty LEXORA_STARDICT_PATH of the
        // test environment keeps the machine's dictionaries out.
        const lextest::ToolRun r = lextest::runTool(lextest::lexbookPath(), {"lookup", dir.path(), "go", "--all"},
                                                    {QStringLiteral("HOME=") + dir.path()});
        EXPECT_EQ(r.code, 0) << qPrintable(r.err);
        QStringList printed;
        for (const QJsonObject& o : lextest::jsonLines(r.out)) {
            printed << o.value(QStringLiteral("dictionary")).toString();
            EXPECT_EQ(o.value(QStringLiteral("text")).toString(),
                      QStringLiteral("`8`go in ") + printed.last()) << qPrintable(r.out);
        }
        EXPECT_EQ(printed, k.sources);
    }
}
