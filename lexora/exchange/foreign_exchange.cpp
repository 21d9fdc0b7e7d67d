#include "lexora/exchange/foreign_exchange.h"

#include "common/platform/env.h"
#include "common/speech/voice_files.h"
#include "lexora/book/book.h"

#include <QFileInfo>

namespace lex {

namespace {

void appendLosses(QString& text, const QStringList& losses)
{
    if (losses.isEmpty())
        return;
    text += QStringLiteral("\n未能保留:");
    for (const QString& l : losses)
        text += QStringLiteral("\n  ") + l;
}

} // namespace

QString importMessage(const ImportResult& result)
{
    QString text = (result.cancelled ? QStringLiteral("导入已取消，导入单词数:%1") : QStringLiteral("导入完成，导入单词数:%1"))
                       .arg(result.added);
    if (result.skipped > 0)
        text += QStringLiteral("\n已在词库中而未导入:%1").arg(result.skipped);
    return text;
}

QString foreignImportMessage(const ImportResult& result, int withoutWord, const QStringList& losses)
{
    QString text = importMessage(result);
    if (const int left = withoutWord + result.rejected; left > 0)
        text += QStringLiteral("\n没有单词而未导入:%1").arg(left);
    appendLosses(text, losses);
    return text;
}

QString foreignExportMessage(const ForeignExportResult& result)
{
    QString text = QStringLiteral("导出完成，导出单词数:%1").arg(result.written);
    if (result.withSound > 0)
        text += QStringLiteral("\n带声音:%1").arg(result.withSound);
    appendLosses(text, result.losses);
    return text;
}

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

QString soundCopyMessage(const SoundCopyResult& r)
{
    QString text = QStringLiteral("复制声音文件:%1").arg(r.copied);
    if (r.kept > 0)
        text += QStringLiteral("\n已有语音文件，保留:%1").arg(r.kept);
    if (r.unusable > 0)
        text += QStringLiteral("\n不能用作语音文件:%1").arg(r.unusable);
    if (!r.error.isEmpty())
        text += QStringLiteral("\n复制失败:") + r.error;
    return text;
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
