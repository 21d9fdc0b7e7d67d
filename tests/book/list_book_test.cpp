// A Book made from the dictionary's word lists, as the dialog's form does it: the live count, the
// messages of a bad expression, and the Book made in order with the dictionary's texts.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_info.h"
#include "lexora/book/added_word.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/book/list_book.h"
#include "lexora/book/word_entry.h"
#include "lexora/texts/lexora_texts.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Why = lex::ListExprError::Why;

lex::WordInfo info(uint16_t exams, int collins, uint32_t frq)
{
    lex::WordInfo w;
    w.exams = exams;
    w.collins = uint8_t(collins);
    w.frq = frq;
    return w;
}

constexpr uint16_t kCet4 = 1u << int(lex::Exam::Cet4), kCet6 = 1u << int(lex::Exam::Cet6), kGre = 1u << int(lex::Exam::Gre);

struct Fixture {
    QByteArray index, text;
    lex::WordInfoTable table;
    lex::Dictionary dict{lex::DictVariant::Main};
    lextest::TempDir dir;

    Fixture()
    {
        lex::DictBuildOptions options;
        options.blocks.push_back({{'L', 'X', 'W', 'I', 0},
                                  lex::encodeWordInfoBlock({{QStringLiteral("able"), info(kCet4 | kCet6, 5, 800)},
                                                            {QStringLiteral("abandon"), info(kCet4 | kCet6, 4, 2500)},
                                                            {QStringLiteral("abyss"), info(kCet6 | kGre, 0, 0)},
                                                            {QStringLiteral("zeal"), info(kCet6 | kGre, 1, 12000)},
                                                            {QStringLiteral("quaff"), info(kGre, 0, 30000)}})});
        EXPECT_TRUE(lex::encodeDictionary({{QStringLiteral("able"), QStringLiteral("5eibl"), {QStringLiteral("adj. 能够的")}, {}},
                                           {QStringLiteral("zeal"), QStringLiteral("zi:l"), {QStringLiteral("n. 热情")}, {}}},
                                          options, &index, &text, nullptr));
        table.openMemory(index);
        dict.openMemory(index, text);
    }
    QString folder() const { return dir.path(QStringLiteral("Book")) + QLatin1Char('/'); }
};

TEST(ListBookForm, CountsLiveAndSaysWhyNothingIsNamed)
{
    Fixture f;
    QDir().mkpath(f.folder());
    lex::Book old;
    old.path = f.folder();
    old.name = QStringLiteral("Old");
    old.AddEntry(lex::makeAddedEntry(QStringLiteral("zeal"), nullptr, {10, 10, 10}, QDateTime::currentDateTime()), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(old).ok());

    lex::ListBookForm form(f.table, &f.dict, nullptr, f.folder());
    ASSERT_EQ(form.lists().size(), 14u);
    EXPECT_EQ(form.lists()[3].count, 4) << "cet6";
    EXPECT_EQ(form.books(), QStringList{QStringLiteral("Old")});

    // Each step: what the learner does, then the count and the message the dialog shows.
    const struct {
        const char* set;   // a whole expression typed, or null
        char op;           // else a list added with this operator
        const char* term;
        qsizetype count;
        const char* message;
    } steps[] = {
        {"", 0, nullptr, 0, "请选择词表，或输入词表组合，例如 cet6 - cet4"},
        {nullptr, '+', "cet6", 4, ""},
        {nullptr, '-', "cet4", 2, ""},
        {nullptr, '-', "@Old", 1, ""},
        {"cet6 -", 0, nullptr, 0, "词表组合第7个字符处缺少词表名"},
        {"cet6 gre", 0, nullptr, 0, "词表组合第6个字符处缺少 + - & 之一"},
        {"cet5", 0, nullptr, 0, "没有这个词表:cet5"},
        {"gre - @None", 0, nullptr, 0, "找不到组:@None"},
        {"gre & cet6 + collins4", 0, nullptr, 4, ""},
    };
    for (const auto& s : steps) {
        auto withBooks = [&](QString t, const QString& prefix = QStringLiteral("book:")) {
            return t.replace(QStringLiteral("@"), prefix + f.folder());
        };
        if (s.set)
            form.setExpression(withBooks(QString::fromUtf8(s.set)));
        else
            form.addTerm(QLatin1Char(s.op), withBooks(QString::fromUtf8(s.term)));
        const lex::ListBookForm::Preview p = form.preview();
        EXPECT_EQ(p.count, s.count) << form.expression().toStdString();
        EXPECT_EQ(lex::texts::listExpressionError(p.error), withBooks(QString::fromUtf8(s.message), QString()))
            << form.expression().toStdString();
    }
}

TEST(ListBookForm, MakesTheBookInOrderWithTheDictionarysTextsOrNothing)
{
    Fixture f;
    QDir().mkpath(f.folder());
    lex::ListBookForm form(f.table, &f.dict, nullptr, f.folder());
    form.setExpression(QStringLiteral("cet6 + gre"));
    form.degrees = {7, 8, 9};
    const QDateTime now(QDate(2026, 12, 9), QTime(8, 30));

    form.name = QStringLiteral("../Out");
    lex::ListBookForm::Made m = form.make(now);
    EXPECT_EQ(m.failure.why, lex::CreateBookFailure::Why::BadName);
    form.name = QStringLiteral("Exam");
    form.setExpression(QStringLiteral("cet6 +"));
    m = form.make(now);
    EXPECT_EQ(m.error.why, Why::NameExpected);
    EXPECT_TRUE(f.dir.files().isEmpty() || !QFile::exists(f.folder() + QStringLiteral("Exam.idx")));

    form.setExpression(QStringLiteral("cet6 + gre"));
    m = form.make(now);
    ASSERT_TRUE(m.ok()) << lex::texts::createBookFailure(m.failure).toStdString();
    EXPECT_EQ(m.added, 5);
    lex::Book book;
    book.path = f.folder();
    book.name = QStringLiteral("Exam");
    ASSERT_TRUE(lex::LoadBook(book).readError.isEmpty());
    QStringList words;
    for (const lex::WordEntry* e : book.full())
        words << e->word().toString();
    EXPECT_EQ(words.join(u' '), QStringLiteral("able abandon zeal quaff abyss")) << "by frequency, the unranked last";
    EXPECT_EQ(book.full()[0]->explanation(), QStringLiteral("adj. 能够的"));
    EXPECT_EQ(book.full()[0]->phonetic(), QStringLiteral("5eibl"));
    EXPECT_TRUE(book.full()[1]->explanation().isEmpty()) << "not in the dictionary: no text, as 添加 leaves it";
    EXPECT_EQ(book.full()[2]->stored.recognition, 7);
    EXPECT_EQ(book.full()[2]->stored.listening, 9);

    // The name is taken now: a second make refuses and keeps the first.
    m = form.make(now);
    EXPECT_EQ(m.failure.why, lex::CreateBookFailure::Why::Exists);
}

TEST(ListBookForm, ADictionaryWithoutListsOffersNone)
{
    QByteArray index, text;
    ASSERT_TRUE(lex::encodeDictionary({{QStringLiteral("able"), {}, {QStringLiteral("adj.")}, {}}}, {}, &index, &text, nullptr));
    lex::WordInfoTable table;
    table.openMemory(index);
    lex::ListBookForm form(table, nullptr, nullptr, QStringLiteral("/nowhere/"));
    EXPECT_TRUE(form.lists().empty());
    form.setExpression(QStringLiteral("cet4"));
    EXPECT_EQ(form.preview().count, 0);
}

} // namespace
