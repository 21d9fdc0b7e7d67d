#include "lexora/exchange/foreign_exchange.h"

#include "common/platform/env.h"
#include "common/speech/voice_files.h"
#include "lexora/book/book.h"

#include <QFileInfo>

namespace lex {

std::vector<NoteSound> noteSounds(const ForeignTable& table, const FieldMap& map)
{
    std::vector<NoteSound> out;
    for (const ForeignRow& row : table.rows) {
        if (row.sounds.isEmpty() || map.word < 0 || map.word >= row.values.size())
            continue;
        // As recordsFromTable and Book::AddEntry make the word: trimmed, field selectors dropped.
        const QString word = trimmedWord(withoutFieldSelectors(row.values[map.word].trimmed())).toString();
        if (!word.isEmpty())
            out.push_back({word, row.sounds.front()});
    }
    return out;
}

SoundCopyResult copyNoteSounds(Env* env, const ForeignTable& table, const std::vector<NoteSound>& sounds,
                               const QString& voiceFolder, const std::function<bool(const QString&)>& overwrite)
{
    SoundCopyResult r;
    for (const NoteSound& s : sounds) {
        // Playback looks for these two only; the media name itself never becomes part of a path.
        const QString ext = QFileInfo(s.media).suffix().toLower();
        const QString base = voiceFileBase(voiceFolder, s.word);
        QByteArray data;
        if ((ext != u"mp3" && ext != u"wav") || base.isEmpty() || !table.readMedia
            || !table.readMedia(s.media, &data) || data.isEmpty()) {
            ++r.unusable;
            continue;
        }
        QString existing;
        for (const QString& e : {base + QStringLiteral(".mp3"), base + QStringLiteral(".wav")})
            if (existing.isEmpty() && env->fileExists(e))
                existing = e;
        if (!existing.isEmpty() && !(overwrite && overwrite(existing))) {
            ++r.kept;
            continue;
        }
        const QString target = base + QLatin1Char('.') + ext;
        Status st = createDirs(env, parentDir(target));
        if (st)
            st = writeFileAtomically(env, target, data);
        if (!st) {
            r.error = target + QStringLiteral(": ") + st.message();
            return r;
        }
        ++r.copied;
    }
    return r;
}

std::function<bool(const WordEntry&, QByteArray*, QString*)> recordedSounds(Env* env, const QString& voiceFolder)
{
    return [env, voiceFolder](const WordEntry& entry, QByteArray* data, QString* extension) {
        const QString base = voiceFileBase(voiceFolder, entry.word().toString());
        if (base.isEmpty())
            return false;
        // The file playback would choose: ".mp3" before ".wav".
        for (const char* ext : {"mp3", "wav"}) {
            const QString path = base + QLatin1Char('.') + QLatin1String(ext);
            if (env->fileExists(path) && env->readFile(path, data) && !data->isEmpty()) {
                *extension = QLatin1String(ext);
                return true;
            }
        }
        return false;
    };
}

} // namespace lex
