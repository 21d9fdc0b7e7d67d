#include "lexora/practice/vocabulary_test.h"

#include "common/dictionary/dictionary.h"
#include "common/config/profile.h"
#include "common/dictionary/word_info.h"

#include <algorithm>
#include <cmath>
#include <limits>


namespace lex {
namespace {

// A learner who knows a word still says "no" now and then, and may pick a wrong meaning.
constexpr double kLapse = 0.03;
constexpr double kSlip = 0.05;
constexpr int kGridPoints = 140;
constexpr double kSlopes[] = {3, 6, 12, 24};
constexpr double kClaims[] = {0, 0.05, 0.1, 0.2, 0.3, 0.45, 0.6};
// Most learners claim little: the prior leans that way, the checks move it.
constexpr double kClaimPrior[] = {0.3, 0.2, 0.15, 0.12, 0.1, 0.08, 0.05};
constexpr size_t kA = std::size(kSlopes), kC = std::size(kClaims);
// How far, in ln V, the model may miss a learner whose answers it fits: the simulated learners
// of the tests, whose edges are not the model's, set it.
constexpr double kModelSpread = 0.05;

enum Outcome { No, Yes, YesRight, YesWrong };

double uniform01(Random& r) { return (uniformDraw(r, 1u << 30) + 0.5) / double(1u << 30); }

} // namespace

void saveVocabularyEstimate(Profile& profile, const VocabularyEstimate& e, int poolSize)
{
    const QString section = QStringLiteral("PLAN");
    profile.writeInt(section, QStringLiteral("VocabularyWords"), e.words);
    profile.writeInt(section, QStringLiteral("VocabularyLow"), e.low);
    profile.writeInt(section, QStringLiteral("VocabularyHigh"), e.high);
    profile.writeInt(section, QStringLiteral("VocabularyPool"), poolSize);
}

VocabularyEstimate loadVocabularyEstimate(const Profile& profile)
{
    const QString section = QStringLiteral("PLAN");
    VocabularyEstimate e;
    e.words = profile.readInt(section, QStringLiteral("VocabularyWords"), 0);
    e.low = profile.readInt(section, QStringLiteral("VocabularyLow"), 0);
    e.high = profile.readInt(section, QStringLiteral("VocabularyHigh"), 0);
    // Figures that do not hold together were not written by the test: none kept.
    if (e.words <= 0 || e.low > e.words || e.high < e.words)
        return {};
    return e;
}

QStringList vocabularyPool(const WordInfoTable& table)
{
    std::vector<std::pair<uint32_t, qsizetype>> ranked;
    for (qsizetype i = 0; i < table.count(); ++i)
        if (const uint32_t frq = table.info(i).frq)
            ranked.push_back({frq, i});
    std::sort(ranked.begin(), ranked.end());
    QStringList pool;
    pool.reserve(qsizetype(ranked.size()));
    for (const auto& r : ranked)
        pool.append(table.word(r.second));
    return pool;
}

int knownFrequencyRank(const WordInfoTable& table, const VocabularyEstimate& estimate)
{
    if (!estimate.valid())
        return 0;
    std::vector<uint32_t> ranks;
    for (qsizetype i = 0; i < table.count(); ++i)
        if (const uint32_t frq = table.info(i).frq)
            ranks.push_back(frq);
    if (ranks.empty())
        return 0;
    // The pool is in frq order, so its word at the estimate has the estimate-th smallest frq.
    const size_t at = std::min(size_t(estimate.words), ranks.size()) - 1;
    std::nth_element(ranks.begin(), ranks.begin() + ptrdiff_t(at), ranks.end());
    return int(std::min<uint32_t>(ranks[at], uint32_t(std::numeric_limits<int>::max())));
}

VocabularyTest::VocabularyTest(int poolSize, Random& random, Options options)
    : poolSize_(std::max(poolSize, 4)), random_(random), options_(options), asked_(size_t(poolSize_) + 1, false)
{
    // V from a handful of words to past the end of the pool (a learner who knows them all).
    const double lo = std::log(5.0), hi = std::log(2.0 * poolSize_);
    for (int i = 0; i < kGridPoints; ++i)
        lnV_.push_back(lo + (hi - lo) * i / (kGridPoints - 1));
    slopes_.assign(std::begin(kSlopes), std::end(kSlopes));
    claims_.assign(std::begin(kClaims), std::end(kClaims));
    logPost_.resize(lnV_.size() * kA * kC);

    for (size_t v = 0; v < lnV_.size(); ++v)
        for (size_t a = 0; a < kA; ++a)
            for (size_t c = 0; c < kC; ++c)
                logPost_[(v * kA + a) * kC + c] = std::log(kClaimPrior[c]);
}

bool VocabularyTest::done() const
{
    if (awaitingCheck_)
        return false;
    if (questions_ >= options_.maxQuestions || questions_ >= poolSize_)
        return true;
    if (questions_ < options_.minQuestions)
        return false;
    // Enough when more answers would narrow the belief little; the model's own spread in the
    // stated range is the same however many are asked.
    const Belief b = belief();
    return b.lnHigh - b.lnLow <= std::log(options_.stopRatio);
}

double VocabularyTest::logisticAt(size_t v, size_t a, double lnRank) const
{
    return 1 / (1 + std::exp(slopes_[a] * (lnRank - lnV_[v])));
}

int VocabularyTest::nextRank()
{
    if (pending_)
        return pending_;
    if (done())
        return 0;
    // A V drawn from the belief so far: early questions spread, later ones close in on the edge.
    const double top = *std::max_element(logPost_.begin(), logPost_.end());
    std::vector<double> weight(lnV_.size(), 0);
    double total = 0;
    for (size_t v = 0; v < lnV_.size(); ++v) {
        for (size_t k = 0; k < kA * kC; ++k)
            weight[v] += std::exp(logPost_[v * kA * kC + k] - top);
        total += weight[v];
    }
    double pick = uniform01(random_) * total;
    size_t v = 0;
    while (v + 1 < lnV_.size() && pick > weight[v]) {
        pick -= weight[v];
        ++v;
    }
    const double spacing = lnV_[1] - lnV_[0];
    const int want = std::clamp(int(std::lround(std::exp(lnV_[v] + (uniform01(random_) - 0.5) * spacing))), 1, poolSize_);
    // The nearest rank not asked yet.
    for (int d = 0; d <= poolSize_; ++d) {
        for (int r : {want - d, want + d})
            if (r >= 1 && r <= poolSize_ && !asked_[size_t(r)]) {
                pending_ = r;
                return r;
            }
    }
    return 0;
}

bool VocabularyTest::answer(bool knows)
{
    if (!pending_ || awaitingCheck_)
        return false;
    ++questions_;
    asked_[size_t(pending_)] = true;
    if (knows && uniform01(random_) < options_.checkShare) {
        awaitingCheck_ = true;
        return true;
    }
    observe(pending_, knows ? Yes : No);
    pending_ = 0;
    return false;
}

void VocabularyTest::check(bool right)
{
    if (!awaitingCheck_)
        return;
    awaitingCheck_ = false;
    observe(pending_, right ? YesRight : YesWrong);
    pending_ = 0;
}

void VocabularyTest::observe(int rank, int outcome)
{
    const double lnr = std::log(double(rank));
    for (size_t v = 0; v < lnV_.size(); ++v)
        for (size_t a = 0; a < kA; ++a) {
            const double p = logisticAt(v, a, lnr);
            for (size_t c = 0; c < kC; ++c) {
                const double claim = claims_[c];
                double l = 0;
                switch (outcome) {
                case No: l = p * kLapse + (1 - p) * (1 - claim); break;
                case Yes: l = p * (1 - kLapse) + (1 - p) * claim; break;
                case YesRight: l = p * (1 - kLapse) * (1 - kSlip) + (1 - p) * claim / 4; break;
                case YesWrong: l = p * (1 - kLapse) * kSlip + (1 - p) * claim * 3 / 4; break;
                }
                logPost_[(v * kA + a) * kC + c] += std::log(std::max(l, 1e-12));
            }
        }
}

std::array<int, 4> VocabularyTest::choiceRanks(int rank)
{
    rank = std::clamp(rank, 1, poolSize_);
    std::array<int, 4> out{rank, 0, 0, 0};
    // Neighbours in rank are words of about the same frequency, so that none stands out as rare;
    // the window holds at least four ranks (the pool has at least four).
    const int lo = std::max(1, std::min(rank - 30, poolSize_ - 60)), hi = std::min(poolSize_, std::max(rank + 30, 61));
    for (size_t k = 1; k < 4;) {
        const int r = lo + int(uniformDraw(random_, uint32_t(hi - lo + 1)));
        if (std::find(out.begin(), out.begin() + k, r) == out.begin() + k)
            out[k++] = r;
    }
    std::swap(out[0], out[uniformDraw(random_, 4)]);
    return out;
}

VocabularyTest::Belief VocabularyTest::belief() const
{
    // The marginal belief about V; the slope only shapes it. V itself is the estimate: a learner
    // knows about as many words as the rank where his chance is one half (exactly so for an edge
    // symmetric in rank), and it is what the question ranks measure, whatever the edge's shape.
    std::vector<double> weight(lnV_.size(), 0);
    const double top = *std::max_element(logPost_.begin(), logPost_.end());
    double total = 0, claimed = 0;
    for (size_t v = 0; v < lnV_.size(); ++v) {
        for (size_t k = 0; k < kA * kC; ++k) {
            const double p = std::exp(logPost_[v * kA * kC + k] - top);
            weight[v] += p;
            claimed += p * claims_[k % kC];
        }
        total += weight[v];
    }
    // Each grid point stands for the stretch of ln V half a step either side of it, its weight
    // spread evenly over it: a quantile falls inside a stretch, not on the nearest point, which
    // would narrow the range to nothing when one point holds most of the belief.
    const double step = lnV_[1] - lnV_[0];
    const auto quantile = [&](double q) {
        double acc = 0;
        for (size_t v = 0; v < lnV_.size(); ++v) {
            if (weight[v] > 0 && acc + weight[v] >= q * total)
                return lnV_[v] - step / 2 + step * (q * total - acc) / weight[v];
            acc += weight[v];
        }
        return lnV_.back() + step / 2;
    };
    Belief b;
    b.lnLow = quantile(0.05);
    b.lnMid = quantile(0.5);
    b.lnHigh = quantile(0.95);
    b.overclaim = total > 0 ? claimed / total : 0;
    return b;
}

VocabularyEstimate VocabularyTest::estimate() const
{
    const Belief b = belief();
    // The range stated is the belief's 90 % widened by how far the model itself may miss: a
    // learner's edge is not exactly the shape assumed, nor is V exactly the number of words he
    // knows. Both spreads add as independent errors do; where the answers are few the belief's
    // own spread is wide and dominates.
    const double below = std::hypot(b.lnMid - b.lnLow, kModelSpread), above = std::hypot(b.lnHigh - b.lnMid, kModelSpread);
    VocabularyEstimate e;
    const auto rank = [this](double lnV) { return std::clamp(int(std::lround(std::exp(lnV))), 1, poolSize_); };
    e.words = rank(b.lnMid);
    e.low = rank(b.lnMid - below);
    e.high = rank(b.lnMid + above);
    e.questions = questions_;
    e.overclaim = b.overclaim;
    return e;
}

VocabularyQuiz::VocabularyQuiz(QStringList pool, const Dictionary* dict, Random& random, VocabularyTest::Options options)
    : pool_(std::move(pool)), dict_(dict), random_(random), test_(int(pool_.size()), random, options)
{
}

QString VocabularyQuiz::meaning(const QString& word) const
{
    QString explanation, phonetic;
    if (!dict_ || !dict_->LookUpWord(word, explanation, phonetic))
        return {};
    return explanation.section(QStringLiteral("\r\n"), 0, 0).trimmed();
}

QString VocabularyQuiz::word()
{
    const int rank = test_.nextRank();
    return rank >= 1 && rank <= pool_.size() ? pool_[rank - 1] : QString();
}

void VocabularyQuiz::answer(bool knows)
{
    const int rank = test_.nextRank();
    if (!rank || !test_.answer(knows))
        return;
    // The check: the word's meaning among those of three words of about its frequency. A word
    // without a meaning, or choices that cannot be told apart, cannot be checked: the "yes" stands.
    const std::array<int, 4> ranks = test_.choiceRanks(rank);
    choices_.clear();
    right_ = -1;
    for (int i = 0; i < 4; ++i) {
        const int r = ranks[size_t(i)];
        choices_ << (r <= pool_.size() ? meaning(pool_[r - 1]) : QString());
        if (r == rank)
            right_ = i;
    }
    const bool usable = right_ >= 0 && !choices_[right_].isEmpty()
                        && std::count(choices_.begin(), choices_.end(), choices_[right_]) == 1;
    if (!usable) {
        choices_.clear();
        test_.check(true);
    }
}

void VocabularyQuiz::choose(int index)
{
    if (!test_.awaitingCheck())
        return;
    test_.check(index == right_);
    choices_.clear();
}

QStringList VocabularyQuiz::wordsKnown() const { return pool_.mid(0, estimate().words); }

QStringList VocabularyQuiz::wordsAbove(int count) const { return pool_.mid(estimate().words, count); }

} // namespace lex
