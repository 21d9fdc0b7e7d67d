// 填空's blank: which words it hides, the article before it, capitals, phrases; and what fills it.
#include "lexora/practice/cloze.h"

#include <gtest/gtest.h>

namespace {

TEST(ClozeMask, BlanksTheHeadwordOrAFormAndNeutralisesTheArticle)
{
    struct Row {
        const char* sentence;
        const char* headword;
        QStringList forms;
        const char* masked;   // nullptr: no blank
        const char* answer;
    };
    const Row rows[] = {
        {"the dog barked all night", "dog", {}, "the _____ barked all night", "dog"},
        {"The burglars escaped before the police showed up", "escape", {"escaped", "escapes"},
         "The burglars _____ before the police showed up", "escaped"},
        {"Running is good for you", "run", {"ran", "running"}, "_____ is good for you", "Running"},   // capital kept
        {"He ran; she RAN faster", "run", {"ran"}, "He _____; she RAN faster", "ran"},               // the first place
        {"an apple a day", "apple", {}, "a(n) _____ a day", "apple"},
        {"An apple a day", "apple", {}, "A(n) _____ a day", "apple"},
        {"a unicorn is a myth", "unicorn", {}, "a(n) _____ is a myth", "unicorn"},
        {"banana and an apple", "apple", {}, "banana and a(n) _____", "apple"},
        {"Kansas is flat", "as", {}, nullptr, nullptr},                 // whole words only
        {"the cats' toys", "cat", {"cats"}, "the _____' toys", "cats"},
        {"the dog's bone", "dog", {}, "the _____'s bone", "dog"},
        {"The plane took off at noon", "take off", {"took off", "taken off"}, "The plane _____ at noon", "took off"},
        {"The plane took  off at noon", "take off", {"took off"}, "The plane _____ at noon", "took  off"},
        {"a well-known face", "well known", {}, "a(n) _____ face", "well-known"},
        {"take a look", "take off", {}, nullptr, nullptr},              // a phrase needs all its words
        {"he gave up", "give up", {"gave up", "give"}, "he _____", "gave up"},   // the longest candidate
        {"a cafe\xcc\x81", "cafe", {}, nullptr, nullptr},               // a combining accent is part of the word
        {"", "dog", {}, nullptr, nullptr},
    };
    for (const Row& r : rows) {
        const QString sentence = QString::fromUtf8(r.sentence);
        const std::optional<lex::ClozeQuestion> q = lex::maskSentence(sentence, QString::fromUtf8(r.headword), r.forms);
        ASSERT_EQ(q.has_value(), r.masked != nullptr) << r.sentence;
        if (!q)
            continue;
        EXPECT_EQ(q->sentence, QString::fromUtf8(r.masked)) << r.sentence;
        EXPECT_EQ(q->answer, QString::fromUtf8(r.answer)) << r.sentence;
    }
}

TEST(ClozeMask, AnAnswerFitsAsADictationDoesWithSpacesLeftAside)
{
    const lex::ClozeQuestion q{QStringLiteral("_____ at noon"), QStringLiteral("Took  off")};
    struct Row {
        const char* typed;
        bool fits;
    };
    const Row rows[] = {{"Took off", true}, {"took off", true}, {" took   off ", true}, {"took", false},
                        {"tookoff", false}, {"taken off", false}};
    for (const Row& r : rows)
        EXPECT_EQ(lex::clozeAnswerFits(QString::fromUtf8(r.typed), q), r.fits) << r.typed;
}

} // namespace
