#pragma once
// Small WordNet databases for tests: synsets, lemmas and exception lines of each part of speech
// written as WordNet's own index.*, data.* and *.exc files (licence lines first, sorted index,
// byte offsets in the data lines).

#include "common/dictionary/wordnet.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace lextest {

class WordNetFiles {
public:
    // A synset of `pos`: its words as the data file writes them ("domestic_dog", "galore(ip)")
    // and the text after its "|". Returns its number for lemma().
    int synset(lex::WordNetPos pos, const QByteArrayList& words, const QByteArray& gloss)
    {
        auto& list = synsets_[size_t(pos)];
        list.push_back({words, gloss});
        return int(list.size()) - 1;
    }
    // An index line: `lemma` has these synsets of `pos`, in this order.
    void lemma(lex::WordNetPos pos, const QByteArray& lemma, const std::vector<int>& synsets)
    {
        lemmas_[size_t(pos)][lemma] = synsets;
    }
    // An exception line: `form` is an inflection of `bases`.
    void exception(lex::WordNetPos pos, const QByteArray& form, const QByteArrayList& bases)
    {
        exceptions_[size_t(pos)][form] = bases;
    }

    // The three files of `pos` as bytes.
    QByteArray data(lex::WordNetPos pos) const { return build(pos).data; }
    QByteArray index(lex::WordNetPos pos) const { return build(pos).index; }
    QByteArray exceptions(lex::WordNetPos pos) const
    {
        QByteArray out;
        for (const auto& [form, bases] : exceptions_[size_t(pos)])
            out += form + ' ' + bases.join(' ') + '\n';
        return out;
    }

    // Writes the twelve files into `folder` (made when missing).
    void writeTo(const QString& folder) const
    {
        QDir().mkpath(folder);
        static const char* names[4] = {"noun", "verb", "adj", "adv"};
        for (int p = 0; p < 4; ++p) {
            const auto pos = lex::WordNetPos(p);
            const Files f = build(pos);
            put(folder + "/index." + names[p], f.index);
            put(folder + "/data." + names[p], f.data);
            put(folder + "/" + names[p] + ".exc", exceptions(pos));
        }
    }

private:
    struct Synset {
        QByteArrayList words;
        QByteArray gloss;
    };
    struct Files {
        QByteArray index, data;
    };

    static void put(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

    Files build(lex::WordNetPos pos) const
    {
        static const char letters[4] = {'n', 'v', 'a', 'r'};
        const char letter = letters[int(pos)];
        const QByteArray licence = "  1 This software and database is being provided to you, the LICENSEE, by  \n"
                                   "  2 Princeton University under the following license.  \n";
        Files f;
        f.data = licence;
        std::vector<qsizetype> offsets;
        for (const Synset& s : synsets_[size_t(pos)]) {
            offsets.push_back(f.data.size());
            QByteArray line = QByteArray::number(f.data.size()).rightJustified(8, '0') + " 05 " +
                              (pos == lex::WordNetPos::Adj ? 's' : letter) + ' ' +
                              QByteArray::number(s.words.size(), 16).rightJustified(2, '0');
            for (const QByteArray& w : s.words)
                line += ' ' + w + " 0";
            line += " 000 | " + s.gloss + "  \n";
            f.data += line;
        }
        f.index = licence;
        for (const auto& [lemma, ids] : lemmas_[size_t(pos)]) {
            QByteArray line = lemma + ' ' + letter + ' ' + QByteArray::number(qsizetype(ids.size())) + " 1 @ " +
                              QByteArray::number(qsizetype(ids.size())) + " 0";
            for (int id : ids)
                line += ' ' + QByteArray::number(offsets.at(size_t(id))).rightJustified(8, '0');
            f.index += line + "  \n";
        }
        return f;
    }

    std::array<std::vector<Synset>, 4> synsets_;
    std::array<std::map<QByteArray, std::vector<int>>, 4> lemmas_;   // sorted by bytes, as WordNet's
    std::array<std::map<QByteArray, QByteArrayList>, 4> exceptions_;
};

} // namespace lextest
