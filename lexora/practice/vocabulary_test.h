#pragma once
// The vocabulary test (词汇量测试): how many of the most frequent words a learner knows, from
// 50 to 100 "do you know it?" questions over the dictionary's frequency ranks.
//
// The learner is modelled as knowing the word of rank r with the chance 1 / (1 + exp(a (ln r −
// ln V))): V is his vocabulary (the rank where the chance is one half, about the number of words
// he knows), a how sharp his edge is. Some learners also claim words they do not know, with a
// chance c. A share of the "yes" answers is checked with a four-choice meaning question: a
// learner who does not know the word is right one time in four, so wrong checks show c, and an
// unchecked "yes" then counts for less. V, a and c are estimated together on a grid (Bayes), each
// question is asked at a rank drawn from the current belief about V, and the test ends when the
// 90 % range of V is narrow enough (after at least the minimum of questions) or at the maximum.

#include "common/platform/sources.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace lex {

class Dictionary;
class Profile;
class WordInfoTable;

// What the test found, for the result page and for whoever filters words by what a learner
// knows: ranks are positions in the test's word pool (vocabularyPool(), most frequent first,
// counted from 1).
struct VocabularyEstimate {
    int words = 0;        // the estimate: the words up to this rank are mostly known
    int low = 0, high = 0; // the 90 % range: the belief's, widened by the model's own error
    int questions = 0;    // questions asked (the checks not counted)
    double overclaim = 0; // the estimated chance of claiming an unknown word
    bool valid() const { return words > 0; }
};

// The last estimate, kept in Config.INI ([PLAN] VocabularyWords, VocabularyLow, VocabularyHigh,
// VocabularyPool: the pool's size then) for whatever later wants to know which words a learner
// knows already (words ranked up to `words` in vocabularyPool()); invalid when none was kept.
void saveVocabularyEstimate(Profile& profile, const VocabularyEstimate& estimate, int poolSize);
VocabularyEstimate loadVocabularyEstimate(const Profile& profile);

// The pool of a test: the table's words that have a frequency rank, most frequent first.
QStringList vocabularyPool(const WordInfoTable& table);

// The frequency rank (frq) up to which `estimate` says the words are known: that of the pool's
// word at the estimate (the last one when the pool has shrunk since); 0 for an invalid estimate
// or a table without ranks.
int knownFrequencyRank(const WordInfoTable& table, const VocabularyEstimate& estimate);

class VocabularyTest {
public:
    struct Options {
        int minQuestions = 50;
        int maxQuestions = 100;
        double checkShare = 0.35; // share of "yes" answers checked with four choices
        double stopRatio = 1.2;   // stop when high / low of the belief's 90 % range is at most this
    };

    // A test over ranks 1..poolSize (at least 4); `random` must outlive the test.
    VocabularyTest(int poolSize, Random& random) : VocabularyTest(poolSize, random, Options{}) {}
    VocabularyTest(int poolSize, Random& random, Options options);

    bool done() const;
    // The rank (1-based) of the next word to ask about; 0 when the test is done. Asking again
    // before answer() gives the same rank; no rank is asked twice while others are left.
    int nextRank();
    // The learner's answer for the word at nextRank(). True when a "yes" is to be checked: then
    // the test waits for check() before the next question.
    bool answer(bool knows);
    // The four-choice check of the "yes" just given: whether the learner chose the right meaning.
    void check(bool right);
    bool awaitingCheck() const { return awaitingCheck_; }

    // Four ranks near `rank` for the check's choices, `rank` among them at a random place (the
    // others distinct, from the ranks around it so that they are words of the same kind).
    std::array<int, 4> choiceRanks(int rank);

    VocabularyEstimate estimate() const;

private:
    // The belief about ln V: its median and its 90 % range, and the expected over-claiming.
    struct Belief {
        double lnLow = 0, lnMid = 0, lnHigh = 0, overclaim = 0;
    };
    Belief belief() const;
    void observe(int rank, int outcome);
    double logisticAt(size_t v, size_t a, double lnRank) const;

    int poolSize_;
    Random& random_;
    Options options_;
    std::vector<double> lnV_, slopes_, claims_;
    std::vector<double> logPost_; // [v][a][c]
    std::vector<bool> asked_;
    int pending_ = 0;
    bool awaitingCheck_ = false;
    int questions_ = 0;
};

// The test as the learner meets it: words and meanings instead of ranks. The meanings are the
// first explanation lines of the dictionary; a word without one is never checked.
class VocabularyQuiz {
public:
    // `pool` from vocabularyPool(); `dict` (may be null: no checks) and `random` outlive the quiz.
    VocabularyQuiz(QStringList pool, const Dictionary* dict, Random& random,
                   VocabularyTest::Options options = VocabularyTest::Options{});

    bool done() { return test_.nextRank() == 0; }
    // The word asked about now (empty when done), and the questions answered so far.
    QString word();
    int answered() const { return test_.estimate().questions; }
    void answer(bool knows);
    // While a "yes" is checked: the four meanings, one of them the word's.
    bool checking() const { return test_.awaitingCheck(); }
    const QStringList& choices() const { return choices_; }
    void choose(int index);

    VocabularyEstimate estimate() const { return test_.estimate(); }
    // The words up to the estimate (the learner knows them), and the next `count` after it.
    QStringList wordsKnown() const;
    QStringList wordsAbove(int count) const;
    int poolSize() const { return int(pool_.size()); }

private:
    QString meaning(const QString& word) const;

    QStringList pool_;
    const Dictionary* dict_;
    Random& random_;
    VocabularyTest test_;
    QStringList choices_;
    int right_ = -1;
};

} // namespace lex
