#pragma once
// 填空: a word blanked in one of its example sentences. The blank stands for the headword or any
// of its forms as the sentence writes them; an "a" or "an" just before it is made neutral so that
// it does not give away the word's first sound.

#include "lexora/practice/spelling_grade.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace lex {

class WordForms;
class WordNet;

inline constexpr QStringView kClozeBlank = u"_____";

struct ClozeQuestion {
    QString sentence;   // the example with the blank (and "a(n)" for an article before it)
    QString answer;     // what the blank hides, as the sentence writes it ("Ran", "took off")
};

// Blanks the first place where `headword` or one of `forms` stands in `sentence` as whole words
// (letters count without regard to case; the words of a phrase may be apart by any spaces or a
// hyphen). The longest candidate wins where two start at the same place. None when none is there.
std::optional<ClozeQuestion> maskSentence(QStringView sentence, QStringView headword, const QStringList& forms);

// Whether `typed` fills the blank, judged as a dictation is (a capital the sentence gives the
// word need not be typed); spaces around and between the words do not count.
bool clozeAnswerFits(QStringView typed, const ClozeQuestion& question);
// The answer's spelling grade, as 听写 grades a word: the other national spelling is right, a
// slip or another English word is told apart (by `checker`, null: right or wrong only).
SpellingGrade gradeClozeAnswer(QStringView typed, const ClozeQuestion& question, const WordChecker* checker);

// 填空's question for `headword` from the first of its WordNet examples where it stands, as
// itself or as a form WordNet's morphology (or the dictionary's `forms`) brings back to it.
std::optional<ClozeQuestion> clozeFromWordNet(const WordNet& wordnet, const WordForms* forms, QStringView headword);

} // namespace lex
