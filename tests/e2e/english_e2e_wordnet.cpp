// english_e2e_wordnet FOLDER: the small WordNet of english_e2e.sh, written in WordNet's own files
// by the same helper the unit tests use, so that the run never reads the machine's WordNet. Its
// words are those of the sample Book's first rows and of the run's subtitle file.
#include "wordnet_files.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: english_e2e_wordnet FOLDER\n");
        return 2;
    }
    using lex::WordNetPos;
    const WordNetPos n = WordNetPos::Noun, v = WordNetPos::Verb, a = WordNetPos::Adj;
    lextest::WordNetFiles wn;
    wn.lemma(n, "ability", {wn.synset(n, {"ability"}, "the quality of being able to perform; \"the ability to read\""),
                            wn.synset(n, {"ability", "power"}, "possession of the qualities required to do something; "
                                                                "\"danger heightened his powers of discrimination\"")});
    wn.lemma(v, "abandon", {wn.synset(v, {"abandon"}, "forsake, leave behind; \"we abandon the old car in the woods\""),
                            wn.synset(v, {"abandon", "give_up"}, "stop maintaining or insisting on")});
    wn.lemma(a, "able", {wn.synset(a, {"able"}, "having the necessary means or skill; \"she is able to swim\"")});
    wn.lemma(WordNetPos::Adv, "about", {wn.synset(WordNetPos::Adv, {"about", "around"}, "(of quantities) imprecise but fairly close to correct; \"we came about noon\"")});
    wn.lemma(a, "absent", {wn.synset(a, {"absent"}, "not being in a specified place; \"he is absent from school\"")});
    wn.lemma(v, "doubt", {wn.synset(v, {"doubt", "discredit"}, "consider unlikely or have doubts about")});
    wn.lemma(n, "nobody", {wn.synset(n, {"nobody", "nonentity"}, "a person of no influence")});
    wn.writeTo(QString::fromLocal8Bit(argv[1]));
    return 0;
}
