#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/ecdict_convert.h"
#include "common/dictionary/index_blocks.h"
#include "common/dictionary/stardict_writer.h"
#include "common/dictionary/word_forms.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const char kCsv[] =
    "word,phonetic,translation,exchange\n"
    "go,gəʊ,v. 去,p:went/d:gone/i:going/3:goes\n"
    "went,went,v. go的过去式,0:go/1:p\n"
    "good,gʊd,a. 好的,r:better/t:best\n"
    "study,ˈstʌdi,v. 学习,p:studied/d:studied/i:studying/3:studies/s:studies\n"
    "child,tʃaɪld,n. 孩子,s:children\n"
    "apple,ˈæpl,n. 苹果,\n";

struct Built {
    QByteArray index, text, indexWithout, textWithout;
};

Built build(lex::DictVariant v)
{
    lex::ecdict::ReadResult read;
    EXPECT_TRUE(lex::ecdict::readCsv(QByteArray(kCsv), &read));
    const auto entries = lex::ecdict::convert(read.records, v, nullptr);
    lex::DictBuildOptions options;
    options.variant = v;
    options.blockSize = 2;
    Built b;
    EXPECT_TRUE(lex::encodeDictionary(entries, options, &b.indexWithout, &b.textWithout, nullptr));
    for (const auto& r : read.records)
        for (auto& f : lex::formsFromExchange(r.word, r.exchange))
            options.forms.push_back(f);
    EXPECT_TRUE(lex::encodeDictionary(entries, options, &b.index, &b.text, nullptr));
    return b;
}

// The block after the index: today's look-up reads such an index as before, and the forms
// resolve to their lemma.
TEST(WordForms, BlockIsIgnoredByLookUpAndResolvesForms)
{
    for (lex::DictVariant v : {lex::DictVariant::Main, lex::DictVariant::Companion}) {
        const Built b = build(v);
        ASSERT_GT(b.index.size(), b.indexWithout.size());
        EXPECT_TRUE(b.index.startsWith(b.indexWithout)); // appended, nothing before it moved
        lex::Dictionary withForms(v), without(v);
        withForms.openMemory(b.index, b.text);
        without.openMemory(b.indexWithout, b.textWithout);
        for (const char* w : {"go", "went", "good", "study", "child", "apple", "zzz", "LXFM", ""}) {
            QString e1, p1, e2, p2;
            if (v == lex::DictVariant::Main) {
                EXPECT_EQ(withForms.LookUpWord(QString::fromUtf8(w), e1, p1), without.LookUpWord(QString::fromUtf8(w), e2, p2)) << w;
            } else {
                EXPECT_EQ(withForms.LookUpEntryText(QString::fromUtf8(w), e1), without.LookUpEntryText(QString::fromUtf8(w), e2)) << w;
            }
            EXPECT_EQ(e1, e2) << w;
            EXPECT_EQ(p1, p2) << w;
        }
    }

    const Built b = build(lex::DictVariant::Companion);
    lex::WordForms forms;
    forms.openMemory(b.index);
    struct Case { const char* typed; const char* lemma; lex::FormKind kind; };
    const Case found[] = {{"went", "go", lex::FormKind::Past},         {"gone", "go", lex::FormKind::PastParticiple},
                          {"going", "go", lex::FormKind::Present},     {"better", "good", lex::FormKind::Comparative},
                          {"best", "good", lex::FormKind::Superlative}, {"studies", "study", lex::FormKind::ThirdPerson},
                          {"studied", "study", lex::FormKind::Past},   {"children", "child", lex::FormKind::Plural}};
    for (const Case& c : found) {
        const auto base = forms.baseFormOf(QString::fromUtf8(c.typed));
        ASSERT_TRUE(base) << c.typed;
        EXPECT_EQ(base->lemma, QString::fromUtf8(c.lemma)) << c.typed;
        EXPECT_EQ(base->kind, c.kind) << c.typed;
    }
    for (const char* w : {"go", "Went", "apple", "wen", "wentt", ""})
        EXPECT_FALSE(forms.baseFormOf(QString::fromUtf8(w))) << w;

    // Damage after the index takes the forms away, never the look-up.
    const qsizetype blockAt = b.indexWithout.size();
    for (qsizetype at : {b.index.size() - 1, b.index.size() - 10, blockAt + 7, blockAt + 9, blockAt + 17}) {
        QByteArray damaged = b.index;
        damaged[at] = char(damaged[at] ^ 0x5a);
        lex::WordForms f;
        f.openMemory(damaged);
        for (const Case& c : found) {
            const auto base = f.baseFormOf(QString::fromUtf8(c.typed));
            if (base)
                EXPECT_FALSE(base->lemma.isEmpty());
        }
    }
    lex::WordForms none;
    none.openMemory(b.indexWithout);
    EXPECT_EQ(none.count(), 0);
}

// Further blocks stand between the index and the forms: the forms stay last, where older readers
// look, each block is found by its tag, and a damaged footer costs the blocks before it only.
TEST(WordForms, BlocksChainBeforeTheForms)
{
    lex::ecdict::ReadResult read;
    ASSERT_TRUE(lex::ecdict::readCsv(QByteArray(kCsv), &read));
    lex::DictBuildOptions options;
    options.variant = lex::DictVariant::Main;
    for (const auto& r : read.records)
        for (auto& f : lex::formsFromExchange(r.word, r.exchange))
            options.forms.push_back(f);
    options.blocks.push_back({"LXAA", QByteArray("first block")});
    options.blocks.push_back({"LXBB", QByteArray()});
    QByteArray index, text;
    ASSERT_TRUE(lex::encodeDictionary(lex::ecdict::convert(read.records, options.variant, nullptr), options, &index, &text, nullptr));
    EXPECT_TRUE(index.endsWith("LXFM"));
    lex::WordForms forms;
    forms.openMemory(index);
    EXPECT_EQ(forms.baseFormOf(u"went")->lemma, QStringLiteral("go"));
    EXPECT_EQ(lex::findIndexBlock(index, "LXAA").toByteArray(), QByteArray("first block"));
    EXPECT_TRUE(lex::findIndexBlock(index, "LXBB").isEmpty());
    EXPECT_FALSE(lex::findIndexBlock(index, "LXFM").isEmpty());
    EXPECT_TRUE(lex::findIndexBlock(index, "LXCC").isEmpty());
    QByteArray damaged = index;
    damaged[damaged.size() - 12] = char(damaged[damaged.size() - 12] ^ 0x5a); // the forms' footer
    EXPECT_TRUE(lex::findIndexBlock(damaged, "LXAA").isEmpty());
    for (qsizetype cut = 0; cut < index.size(); cut += 7) // never reads outside what it is given
        (void)lex::findIndexBlock(QByteArrayView(index).first(cut), "LXAA");
}

// One call gives the own entry, the base form's entry with its note, and each enabled StarDict
// dictionary's entry under its name, in the learner's order.
TEST(WordForms, ShelfShowsEveryDictionaryInOrder)
{
    const Built b = build(lex::DictVariant::Companion);
    lex::Dictionary own(lex::DictVariant::Companion);
    own.openMemory(b.index, b.text);
    lex::WordForms forms;
    forms.openMemory(b.index);

    lextest::TempDir dir;
    auto writeDict = [&](const QString& name, std::vector<lex::StarDictSource::Entry> entries) {
        lex::StarDictSource s;
        s.bookname = name;
        s.entries = std::move(entries);
        const lex::StarDictFiles f = lex::writeStarDict(s);
        dir.write(name + QStringLiteral(".ifo"), f.ifo);
        dir.write(name + QStringLiteral(".idx"), f.idx);
        dir.write(name + QStringLiteral(".dict"), f.dict);
        return dir.path(name + QStringLiteral(".ifo"));
    };
    lex::DictionaryShelf shelf;
    shelf.setOwn(&own, &forms);
    ASSERT_TRUE(shelf.addStarDict(lex::Env::defaultEnv(), writeDict(QStringLiteral("A"), {{QStringLiteral("go"), "to move", {}},
                                                                                       {QStringLiteral("Study"), "to learn", {}}})));
    ASSERT_TRUE(shelf.addStarDict(lex::Env::defaultEnv(), writeDict(QStringLiteral("B"), {{QStringLiteral("went"), "past of go", {}}})));
    EXPECT_FALSE(shelf.addStarDict(lex::Env::defaultEnv(), dir.path(QStringLiteral("missing.ifo"))));
    EXPECT_EQ(shelf.starDictCount(), 2);
    // Found in the sub-folders of the program folder's Dict, one level down, then in the shared
    // folders: those LEXORA_STARDICT_PATH names, else the home and the system folder. The test
    // environment names none, so the machine's own dictionaries are never counted.
    QDir().mkpath(dir.path(QStringLiteral("Dict/en/sub")));
    dir.write(QStringLiteral("Dict/en/sub/deep.ifo"), "x");
    dir.write(QStringLiteral("Dict/en/top.ifo"), "x");
    dir.write(QStringLiteral("Dict/en/top.idx"), "x");
    EXPECT_EQ(lex::starDictFolders(dir.path()), QStringList{dir.path(QStringLiteral("Dict/en"))});
    const QByteArray hermetic = qgetenv(lex::kStarDictPathVariable);
    qputenv(lex::kStarDictPathVariable, (dir.path(QStringLiteral("mine")) + QStringLiteral("::/srv/dic")).toUtf8());
    const QStringList folders = lex::starDictFolders(dir.path());
    qunsetenv(lex::kStarDictPathVariable);
    const QStringList defaults = lex::sharedStarDictFolders();
    qputenv(lex::kStarDictPathVariable, hermetic);
    EXPECT_EQ(folders, (QStringList{dir.path(QStringLiteral("Dict/en")), dir.path(QStringLiteral("mine")),
                                    QStringLiteral("/srv/dic")}));
    EXPECT_EQ(defaults, (QStringList{QDir::homePath() + QStringLiteral("/.local/share/stardict/dic"),
                                     QStringLiteral("/usr/share/stardict/dic")}));
    EXPECT_EQ(lex::findStarDictFiles({folders[0]}),
              (QStringList{dir.path(QStringLiteral("Dict/en/top.ifo")), dir.path(QStringLiteral("Dict/en/sub/deep.ifo"))}));

    auto shown = [&](const char* word) {
        QStringList s;
        for (const lex::ShelfEntry& e : shelf.lookUp(QString::fromUtf8(word)))
            s << e.source + QLatin1Char('|') + e.headword + QLatin1Char('|') + e.formNote;
        return s;
    };
    const QString wentNote = QStringLiteral("went：go 的过去式");
    EXPECT_EQ(shown("went"), (QStringList{QStringLiteral("|went|"), QStringLiteral("|go|") + wentNote,
                                          QStringLiteral("A|go|") + wentNote, QStringLiteral("B|went|")}));
    EXPECT_EQ(shown("studies"), (QStringList{QStringLiteral("|study|studies：study 的第三人称单数"),
                                             QStringLiteral("A|Study|studies：study 的第三人称单数")}));
    EXPECT_EQ(shown("nothing"), QStringList{});
    // Each marker but 1 starts a line: a CR LF only before the own entry's headword and, for an
    // empty line, before each dictionary's name.
    const QString text = lex::shelfText(shelf.lookUp(QStringLiteral("studies")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("`9`studies：study 的第三人称单数\r\n`1`study"))) << qPrintable(text);
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n`7`A`9`studies：study 的第三人称单数`8`to learn"))) << qPrintable(text);
    shelf.setEnabled(0, false);
    shelf.move(1, 0);
    EXPECT_EQ(shown("went"), (QStringList{QStringLiteral("|went|"), QStringLiteral("|go|") + wentNote, QStringLiteral("B|went|")}));
}

} // namespace
