#include "common/speech/speech_output.h"
#include "common/speech/voice_files.h"

#include "common/config/profile.h"
#include "common/dictionary/us_phonetics.h"
#include "common/platform/env.h"
#include "common/platform/named_event.h"
#include "common/platform/shared_names.h"
#include "common/platform/user_services.h"
#include "common/speech/synth_engine.h"
#include "common/speech/tts_engine.h"
#include "common/speech/voice_player.h"

#include <QFileInfo>
#include <QObject>

#include <algorithm>

namespace lex {

namespace {

const QString kInit = QStringLiteral("INIT");
const QString kTtsVoice = QStringLiteral("TTSVOICE");

// Config.INI may come from a copy that wrote Windows separators.
QString localPath(QString path) { return path.replace(QLatin1Char('\\'), QLatin1Char('/')); }

} // namespace

QString defaultVoicePath() { return QStringLiteral("./Voice/"); }

SpeechOutput::SpeechOutput(SpeechProgram program, SpeechDeps deps)
    : program_(program), deps_(deps), context_(std::make_unique<QObject>())
{
    deps_.env = orDefault(deps_.env);
}

SpeechOutput::~SpeechOutput()
{
    stop_ = true;
    joinPlayback();
    if (hasVoice_ && deps_.engine)
        deps_.engine->releaseVoice();
}

void SpeechOutput::showError(const QString& text)
{
    if (deps_.ui)
        deps_.ui->messageBox(deps_.owner, text);
}

void SpeechOutput::initialise(const Profile& profile, const QString& programFolder)
{
    initialiseVoice(profile);
    initialiseFolder(profile, programFolder);
    // The learner's folders of recordings, after the voice folder: "FOLDER|PATTERN;...".
    sources_ = parseRecordingSources(profile.readString(QStringLiteral("SPEECH2"), QStringLiteral("Recordings"), {}, 4096));
}

void SpeechOutput::initialiseVoice(const Profile& profile)
{
    ttsDisabled_ = profile.readInt(kInit, QStringLiteral("IsDisableTTS"), 0) != 0;
    ttsReady_ = false;
    if (ttsDisabled_)
        return;
    TtsEngine* engine = deps_.engine;
    try {
        if (!engine || !engine->createVoice()) {
            showError(QStringLiteral("TTS初始化错误"));
            return;
        }
        hasVoice_ = true;
        const QString value = profile.readString(kTtsVoice, QStringLiteral("TTSEngineMale"), QStringLiteral("0"), 256);
        const QString id = QStringLiteral("%1%2%3").arg(engine->voicesCategory(), QStringLiteral("/Tokens/"), value);
        std::optional<QString> token;
        if (program_ == SpeechProgram::Main)
            token = value.isEmpty() ? engine->defaultToken() : engine->openToken(id);
        else
            token = value.startsWith(QLatin1Char('0')) ? engine->defaultToken() : engine->openToken(id);
        if (!engine->setVoice(token)) {
            showError(QStringLiteral("TTS载入错误"));
            return;
        }
        currentVoice_ = token ? *token : engine->defaultToken().value_or(QString());
        if (const std::optional<QString> chosen = learnersVoice(profile, value); chosen && engine->setVoice(*chosen))
            currentVoice_ = *chosen;
        // Taken as unsigned 16-bit, as the setting was always stored: -1 is 65535, hence 100.
        const uint16_t volume = uint16_t(profile.readInt(kTtsVoice, QStringLiteral("TTSVolume"), 100));
        volume_ = std::min<uint16_t>(volume, 100);
        engine->setVolume(volume_);
        rate_ = std::clamp(profile.readInt(kTtsVoice, QStringLiteral("TTSRate"), 0), -10, 10);
        engine->setRate(rate_);
        ttsReady_ = true;
    } catch (const SpeechError& e) {
        showError(QStringLiteral("尝试TTS初始化错误"));
        showError(speechErrorText(e.code(), e.systemText()));
    } catch (const std::exception& e) {
        showError(QStringLiteral("尝试TTS初始化错误"));
        showError(QString::fromLocal8Bit(e.what()));
    }
}

std::optional<QString> SpeechOutput::learnersVoice(const Profile& profile, const QString& voiceKey) const
{
    TtsEngine* engine = deps_.engine;
    // The learner's choice among every engine's voices, kept beside the voice key.
    const QString token = engineVoiceToken(profile.readString(QString::fromLatin1(kAccentSection), QStringLiteral("Engine"), {}, 64),
                                           profile.readString(QString::fromLatin1(kAccentSection), QStringLiteral("Voice"), {}, 256));
    if (!token.isEmpty())
        if (std::optional<QString> t = engine->openToken(token))
            return t;
    // Without one, 美音 speaks with the American voice unless the voice key names a voice.
    const bool keyNamesVoice = !voiceKey.isEmpty() && !voiceKey.startsWith(QLatin1Char('0'));
    if (!keyNamesVoice && accentFromSetting(profile.readString(QString::fromLatin1(kAccentSection), QString::fromLatin1(kAccentKey), {}, 16)) == Accent::US)
        return engine->openToken(engine->voicesCategory() + QStringLiteral("/Tokens/en-US"));
    return std::nullopt;
}

void SpeechOutput::initialiseFolder(const Profile& profile, const QString& programFolder)
{
    const QString value = localPath(profile.readString(kInit, QStringLiteral("VoicePath"), defaultVoicePath(), 256));
    const QString programVoice = programFolder + QStringLiteral("/Voice/");
    if (program_ == SpeechProgram::Main) {
        if (deps_.env->isDir(value)) {
            voiceFolder_ = value;
            return;
        }
        const MessageAnswer a = deps_.ui
            ? deps_.ui->messageBox(deps_.owner, QStringLiteral("真人语音路径不存在，是否重置为默认路径。"), {}, MessageButtons::YesNo)
            : MessageAnswer::No;
        voiceFolder_ = a == MessageAnswer::Yes ? programVoice : value;
        return;
    }
    if (value.startsWith(QLatin1Char('.'))) {
        voiceFolder_ = programVoice;
        return;
    }
    if (!deps_.env->isDir(value))
        showError(QStringLiteral("真人语音路径不存在，请重新设置。要忽略真人语音\n请将真人语音路径指定为Lexora目录下的Voice文件夹"));
    voiceFolder_ = value;
}

void SpeechOutput::followLearnersVoice(const Profile& profile)
{
    if (!ttsReady_ || !deps_.engine)
        return;
    const QString key = profile.readString(kTtsVoice, QStringLiteral("TTSEngineMale"), QStringLiteral("0"), 256);
    if (const std::optional<QString> chosen = learnersVoice(profile, key); chosen && *chosen != currentVoice_)
        setVoice(*chosen);
}

QString SpeechOutput::setAccentVoice(const QString& accent)
{
    TtsEngine* tts = engine();
    if (!tts || accent.isEmpty())
        return {};
    const QList<VoiceToken> voices = tts->voices();
    QStringList candidates;
    for (const VoiceToken& v : voices) {
        if (v.accent != accent)
            continue;
        if (v.id == currentVoice_)
            return currentVoice_;
        candidates << v.id;
    }
    const QString prefix = tts->voicesCategory() + QStringLiteral("/Tokens/");
    const QStringList plain = accent == u"US" ? QStringList{prefix + QStringLiteral("en-US")}
                                              : QStringList{prefix + QStringLiteral("en"), prefix + QStringLiteral("en-GB")};
    std::stable_sort(candidates.begin(), candidates.end(), [&](const QString& a, const QString& b) {
        const qsizetype ia = plain.indexOf(a), ib = plain.indexOf(b);
        return (ia < 0 ? plain.size() : ia) < (ib < 0 ? plain.size() : ib);
    });
    for (const QString& token : candidates)
        if (setVoice(token))
            return token;
    return {};
}

QString SpeechOutput::recordedFile(const QString& word, RecordingFolderCache* cache) const
{
    const QStringList files = recordedFiles(word, cache);
    return files.isEmpty() ? QString() : files.first();
}

QStringList SpeechOutput::recordedFiles(const QString& word, RecordingFolderCache* cache) const
{
    QStringList files;
    auto take = [&](const QString& path) {
        const qint64 size = path.isEmpty() ? -1 : deps_.env->fileSize(path);
        if (size > 0 && size <= kMaxRecordingBytes && !files.contains(path))
            files << path;
    };
    if (const QString base = voiceFileBase(voiceFolder_, word); !base.isEmpty()) {
        for (const char* ext : {".mp3", ".wav"})
            if (cache ? cache->hasFile(deps_.env, base + QLatin1String(ext)) : deps_.env->fileExists(base + QLatin1String(ext)))
                take(base + QLatin1String(ext));
    }
    for (const RecordingSource& s : sources_)
        take(findRecording(deps_.env, s, word, cache));
    return files;
}

bool SpeechOutput::mayHaveRecordings(RecordingFolderCache* cache) const
{
    QString folder = voiceFolder_;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return !sources_.isEmpty() || folder.isEmpty() || !cache->listed(deps_.env, folder, false).names.isEmpty();
}

void SpeechOutput::SpeakWord(const QString& word, bool ttsOnly)
{
    if (word.isEmpty())
        return;
    reapFinished();
    if (!ttsOnly) {
        const QStringList files = recordedFiles(word);
        if (!files.isEmpty()) {
            playFile(files, word);
            return;
        }
    }
    speakSynthesised(word);
}

void SpeechOutput::speakSynthesised(const QString& word)
{
    if (!ttsReady_ || !deps_.engine)
        return;
    try {
        if (!deps_.engine->speakAsync(word))
            showError(QStringLiteral("尝试TTS发音出错"));
    } catch (const SpeechError& e) {
        showError(speechErrorText(e.code(), e.systemText()));
    } catch (const std::exception& e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
}

void SpeechOutput::playFile(const QStringList& paths, const QString& word)
{
    if (!deps_.events || !deps_.player)
        return;
    // Another hand-off in progress (here or in the other program): no sound this time.
    std::unique_ptr<NamedEvent> handOff = deps_.events->create(names::kWaitPlayed);
    if (!handOff)
        return;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread worker([this, paths, word, done] {
        std::unique_ptr<NamedEvent> event = deps_.events->open(names::kWaitPlayed);
        if (!event) {
            *done = true;   // the caller has given up already
            return;
        }
        const QStringList own = paths;
        const QString ownWord = word;
        event->set();
        event.reset();
        // Each recording in turn until one plays; a damaged or unplayable file gives way to the
        // next, and after the last the word is synthesised. One report of the first failure.
        QString failure;
        bool played = false;
        for (const QString& path : own) {
            if (stop_)
                break;
            try {
                deps_.player->play(path, kMaxPlayMs, stop_);
                played = true;
                break;
            } catch (const SpeechError& e) {
                if (failure.isEmpty())
                    failure = speechErrorText(e.code(), e.systemText());
            } catch (const std::exception&) {
            }
        }
        if (!failure.isEmpty() || (!played && !stop_)) {
            QMetaObject::invokeMethod(context_.get(), [this, failure, played, ownWord] {
                if (!failure.isEmpty()) {
                    showError(QStringLiteral("尝试发真人语音出错"));
                    showError(failure);
                }
                if (!played)
                    speakSynthesised(ownWord);
            }, Qt::QueuedConnection);
        }
        *done = true;
    });
    workers_.push_back(Worker{std::move(worker), done});
    handOff->wait(kHandOffWaitMs);
    handOff.reset();
}

void SpeechOutput::reapFinished()
{
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (*it->done) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void SpeechOutput::joinPlayback()
{
    for (Worker& w : workers_)
        if (w.thread.joinable())
            w.thread.join();
    workers_.clear();
}

void SpeechOutput::shutDown(Profile* profile)
{
    if (!hasVoice_)
        return;
    if (program_ == SpeechProgram::Main && profile) {
        profile->writeInt(kTtsVoice, QStringLiteral("TTSVolume"), volume_);
        profile->writeInt(kTtsVoice, QStringLiteral("TTSRate"), rate_);
    }
    if (deps_.engine)
        deps_.engine->releaseVoice();
    hasVoice_ = false;
}

void SpeechOutput::writeSettings(Profile& profile) const
{
    profile.writeString(kInit, QStringLiteral("VoicePath"), voiceFolder_);
    profile.writeInt(kInit, QStringLiteral("IsDisableTTS"), ttsDisabled_ ? 1 : 0);
}

void SpeechOutput::setTtsDisabled(bool disabled)
{
    ttsDisabled_ = disabled;
    if (disabled)
        ttsReady_ = false;
}

bool SpeechOutput::setVoice(const QString& tokenId)
{
    if (!hasVoice_ || !deps_.engine || !deps_.engine->setVoice(tokenId))
        return false;
    currentVoice_ = tokenId;
    return true;
}

void SpeechOutput::setVolume(int volume)
{
    volume_ = uint16_t(std::clamp(volume, 0, 100));
    if (hasVoice_ && deps_.engine)
        deps_.engine->setVolume(volume_);
}

void SpeechOutput::setRate(int rate)
{
    rate_ = std::clamp(rate, -10, 10);
    if (hasVoice_ && deps_.engine)
        deps_.engine->setRate(rate_);
}

} // namespace lex
