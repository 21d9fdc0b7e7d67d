#include "common/dictionary/word_lists.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace lex {
namespace {

constexpr QLatin1StringView kBookPrefix("book:");

bool isOperator(QChar c) { return c == u'+' || c == u'-' || c == u'&'; }
bool isNameChar(QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }

// The term a plain name stands for; false for no list name.
bool termForName(QStringView name, ListTerm* term)
{
    const QString n = name.toString().toLower();
    for (int i = 0; i < kExamCount; ++i)
        if (n == QLatin1String(examName(Exam(i)))) {
            *term = {ListTerm::Kind::Exam, i, {}};
            return true;
        }
    if (n == u"oxford3000") {
        *term = {ListTerm::Kind::Oxford, 0, {}};
        return true;
    }
    if (n.size() == 8 && n.startsWith(u"collins") && n[7] >= u'1' && n[7] <= QChar(u'0' + kMaxCollins)) {
        *term = {ListTerm::Kind::Collins, n[7].unicode() - u'0', {}};
        return true;
    }
    return false;
}

bool holds(const ListTerm& t, const WordInfo& w)
{
    switch (t.kind) {
    case ListTerm::Kind::Exam: return w.inExam(Exam(t.value));
    case ListTerm::Kind::Oxford: return w.oxford;
    case ListTerm::Kind::Collins: return w.collins >= t.value;
    case ListTerm::Kind::Book: break;
    }
    return false;
}

} // namespace

ListExprError parseListExpression(QStringView text, ListExpression* out)
{
    *out = {};
    ListExprError err;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    for (;;) {
        skipBlanks();
        if (i >= n || isOperator(text[i])) {
            err.why = i >= n && out->terms.empty() ? ListExprError::Why::Empty : ListExprError::Why::NameExpected;
            err.position = i;
            return err;
        }
        ListTerm term;
        if (text.mid(i).startsWith(kBookPrefix, Qt::CaseInsensitive)) {
            const qsizetype start = i + kBookPrefix.size();
            qsizetype j = start;
            while (j < n && !(isOperator(text[j]) && j > start && text[j - 1].isSpace()))
                ++j;
            term.kind = ListTerm::Kind::Book;
            term.book = text.mid(start, j - start).trimmed().toString();
            if (term.book.isEmpty()) {
                err.why = ListExprError::Why::NameExpected;
                err.position = start;
                return err;
            }
            i = j;
        } else {
            qsizetype j = i;
            while (j < n && isNameChar(text[j]))
                ++j;
            if (j == i) // not a name at all: the whole run up to a blank or an operator is shown
                while (j < n && !text[j].isSpace() && !isOperator(text[j]))
                    ++j;
            if (!termForName(text.mid(i, j - i), &term)) {
                err.why = ListExprError::Why::UnknownList;
                err.position = i;
                err.subject = text.mid(i, j - i).toString();
                return err;
            }
            i = j;
        }
        out->terms.push_back(term);
        skipBlanks();
        if (i >= n)
            return err;
        if (!isOperator(text[i])) {
            err.why = ListExprError::Why::OperatorExpected;
            err.position = i;
            return err;
        }
        out->ops += text[i++];
    }
}

QString listTermName(const ListTerm& term)
{
    switch (term.kind) {
    case ListTerm::Kind::Exam: return QString::fromLatin1(examName(Exam(term.value)));
    case ListTerm::Kind::Oxford: return QStringLiteral("oxford3000");
    case ListTerm::Kind::Collins: return QStringLiteral("collins%1").arg(term.value);
    case ListTerm::Kind::Book: return kBookPrefix + term.book;
    }
    return {};
}

std::vector<NamedList> dictionaryLists(const WordInfoTable& table)
{
    std::vector<NamedList> lists;
    for (int i = 0; i < kExamCount; ++i)
        lists.push_back({{ListTerm::Kind::Exam, i, {}}, 0});
    lists.push_back({{ListTerm::Kind::Oxford, 0, {}}, 0});
    for (int s = kMaxCollins; s >= 1; --s)
        lists.push_back({{ListTerm::Kind::Collins, s, {}}, 0});
    for (qsizetype r = 0; r < table.count(); ++r) {
        const WordInfo w = table.info(r);
        for (NamedList& l : lists)
            l.count += holds(l.term, w);
    }
    return lists;
}

ListExprError evaluateListExpression(const ListExpression& expr, const WordInfoTable& table,
                                     const BookWordsReader& readBook, QStringList* words)
{
    words->clear();
    // Each operand as a sorted list without repeats, so that the operators are the set algorithms.
    auto operand = [&](const ListTerm& t, QStringList* set) {
        set->clear();
        ListExprError err;
        if (t.kind == ListTerm::Kind::Book) {
            err.why = readBook ? readBook(t.book, set) : ListExprError::Why::MissingBook;
            if (err.failed()) {
                err.subject = t.book;
                return err;
            }
        } else {
            for (qsizetype r = 0; r < table.count(); ++r)
                if (holds(t, table.info(r)))
                    set->append(table.word(r));
        }
        std::sort(set->begin(), set->end());
        set->erase(std::unique(set->begin(), set->end()), set->end());
        return err;
    };
    if (expr.terms.empty())
        return {};
    QStringList acc, next, joined;
    if (ListExprError err = operand(expr.terms[0], &acc); err.failed())
        return err;
    for (size_t k = 1; k < expr.terms.size(); ++k) {
        if (ListExprError err = operand(expr.terms[k], &next); err.failed())
            return err;
        joined.clear();
        const QChar op = k - 1 < size_t(expr.ops.size()) ? expr.ops[qsizetype(k - 1)] : QChar(u'+');
        auto to = std::back_inserter(joined);
        if (op == u'-')
            std::set_difference(acc.begin(), acc.end(), next.begin(), next.end(), to);
        else if (op == u'&')
            std::set_intersection(acc.begin(), acc.end(), next.begin(), next.end(), to);
        else
            std::set_union(acc.begin(), acc.end(), next.begin(), next.end(), to);
        acc.swap(joined);
    }
    *words = std::move(acc);
    return {};
}

const char* listOrderName(ListOrder order)
{
    switch (order) {
    case ListOrder::Frq: return "frq";
    case ListOrder::Bnc: return "bnc";
    case ListOrder::Collins: return "collins";
    case ListOrder::Alpha: return "alpha";
    }
    return "";
}

bool parseListOrder(QStringView name, ListOrder* order)
{
    for (ListOrder o : {ListOrder::Frq, ListOrder::Bnc, ListOrder::Collins, ListOrder::Alpha})
        if (name == QLatin1String(listOrderName(o))) {
            *order = o;
            return true;
        }
    return false;
}

void orderWords(QStringList* words, const WordInfoTable& table, ListOrder order)
{
    struct Keyed {
        uint64_t first, second; // smaller first; unranked as the largest
        qsizetype at;
    };
    constexpr uint64_t kLast = ~uint64_t(0);
    auto rank = [&](uint32_t r) { return r ? uint64_t(r) : kLast; };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(words->size()));
    for (qsizetype i = 0; i < words->size(); ++i) {
        Keyed k{kLast, kLast, i};
        const qsizetype r = order == ListOrder::Alpha ? -1 : table.find(words->at(i));
        if (r >= 0) {
            const WordInfo w = table.info(r);
            if (order == ListOrder::Frq)
                k.first = rank(w.frq);
            else if (order == ListOrder::Bnc)
                k.first = rank(w.bnc);
            else if (w.collins) {
                k.first = uint64_t(kMaxCollins - w.collins);
                k.second = rank(w.frq);
            }
        }
        keyed.push_back(k);
    }
    const QStringList& in = *words;
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.first != b.first)
            return a.first < b.first;
        if (a.second != b.second)
            return a.second < b.second;
        const int c = in[a.at].compare(in[b.at], Qt::CaseInsensitive);
        return c ? c < 0 : in[a.at] < in[b.at];
    });
    QStringList sorted;
    sorted.reserve(words->size());
    for (const Keyed& k : keyed)
        sorted.append(in[k.at]);
    *words = std::move(sorted);
}

} // namespace lex
