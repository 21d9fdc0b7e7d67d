#pragma once
// The English parts Glosix shows under an entry: both accents' IPA (the learner's accent first)
// and WordNet's senses, folded to the first few. Made as entry markup, so the pane draws them
// like the rest of the entry; EnglishSettings turns each part off.
//
// Pure (QtCore only).

#include "common/config/english_settings.h"
#include "common/dictionary/us_phonetics.h"
#include "common/dictionary/wordnet.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace lex {

// The markup: "英 /…/　美 /…/" in the learner's accent's order (an accent the block lacks is left
// out), then "WordNet" and each sense as "1. n. gloss", its examples and its other words; past
// `sensesShown` senses (unless `allSenses`) one line says how many more there are. Empty when
// there is nothing to show.
QString englishSectionsText(const AccentIpa& ipa, Accent accent, const std::vector<WordSense>& senses,
                            const EnglishSettings& settings, bool allSenses);

// `entry` without its "英文释义" section (the heading and its lines).
QString withoutEnglishDefinition(const QString& entry);

} // namespace lex
