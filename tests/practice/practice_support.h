#pragma once
// A Book of numbered words and an engine wired to recording sinks.

#include "common/platform/sources.h"
#include "direct_practice_writer.h"
#include "lexora/book/list_ops.h"
#include "lexora/book/book.h"
#include "lexora/practice/practice_engine.h"
#include "lexora/texts/lexora_texts.h"

#include <QDateTime>
#include <QStringList>
#include <memory>

namespace practicetest {

// Row i holds word "w<i>", explanation "e<i>", phonetic "p<i>", comment "c<i>".
inline void fillBook(lex::Book& book, int rows)
{
    for (int i = 0; i < rows; ++i) {
        auto e = std::make_unique<lex::WordEntry>();
        const QString n = QString::number(i);
        e->setWord(QStringLiteral("w") + n);
        e->setExplanation(QStringLiteral("e") + n);
        e->setPhonetic(QStringLiteral("p") + n);
        e->setComment(QStringLiteral("c") + n);
        book.AddEntry(std::move(e), lex::AddMode::Loaded);
    }
}

inline std::vector<int32_t> range(int32_t first, int count)
{
    std::vector<int32_t> r;
    for (int i = 0; i < count; ++i)
        r.push_back(first + i);
    return r;
}

struct Recorder {
    QStringList spoken, messages, companion;
    int closed = 0;
    lex::PracticeSinks sinks()
    {
        lex::PracticeSinks s;
        s.SpeakWord = [this](QStringView w) { spoken << w.toString(); };
        s.sendToCompanion = [this](QStringView w, int raise) { companion << w.toString() + QString::number(raise); };
        s.closeCompanion = [this] { ++closed; };
        s.showMessage = [this](lex::PracticeNotice n, const QString& word) {
            messages << lex::texts::practiceNoticeCaption(n) + QLatin1Char('|') + lex::texts::practiceNoticeText(n, word);
        };
        return s;
    }
};

struct Rig {
    lex::Book book;
    lextest::DirectPracticeWriter writer{book};
    lex::LcgRandom random{7};
    lex::FixedClock clock{QDateTime(QDate(2025, 6, 1), QTime(8, 30))};
    Recorder rec;
    std::unique_ptr<lex::PracticeEngine> engine;

    Rig(int bookRows, lex::PracticeMode mode, int loops, lex::Direction direction = lex::Direction::EnToZh,
        lex::PracticeOptions opts = {})
    {
        fillBook(book, bookRows);
        engine = std::make_unique<lex::PracticeEngine>(book, writer, lex::PracticeSettings{mode, direction, loops}, opts,
                                                       random, clock, rec.sinks());
    }
    lex::PracticeEngine& e() { return *engine; }
    int temporary(int32_t row) const { return book.atView(row)->temporary; }
};

} // namespace practicetest
