#pragma once
// What the import/export dialog and lexbook share around another program's file, beside the
// formats themselves: the result messages with what was lost (and the text styles' import
// message), the notes' sounds copied into the voice folder, and the recorded files that go into
// an exported package.

#include "lexora/exchange/formats/foreign_format.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace lex {

class Env;


// A note's sound and the word it is filed under once imported (the word as the Book stores it).
struct NoteSound {
    QString word;
    QString media;   // the name in the package
};
// The first sound of every row that becomes an entry under `map`, in row order.
std::vector<NoteSound> noteSounds(const ForeignTable& table, const FieldMap& map);

struct SoundCopyResult {
    int copied = 0;
    int kept = 0;        // a recorded file was there and the learner kept it
    int unusable = 0;    // not .mp3/.wav, a word that cannot be a file name, or unreadable media
    QString error;       // the first write that failed (the copy stops there)
};
// Copies each sound to the voice folder as the word's recorded file (voice_files.h), keeping the
// media's extension. A word that already has a recorded file is overwritten only when
// `overwrite(existingPath)` says so.
SoundCopyResult copyNoteSounds(Env* env, const ForeignTable& table, const std::vector<NoteSound>& sounds,
                               const QString& voiceFolder, const std::function<bool(const QString&)>& overwrite);

// For ForeignExportOptions::sound: an entry's recorded file from the voice folder, read through
// `env`; no sound for a word without one.
std::function<bool(const WordEntry&, QByteArray*, QString*)> recordedSounds(Env* env, const QString& voiceFolder);

} // namespace lex
