#pragma once
// Speaking a word: from its recorded voice file when there is one, else by synthesis, else not
// at all. Each program keeps one SpeechOutput in its main window and initialises it once.

#include "common/speech/recording_patterns.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <thread>

class QObject;
class QWidget;

namespace lex {

class Env;
class NamedEvents;
class Profile;
class TtsEngine;
class UserServices;
class VoicePlayer;

enum class SpeechProgram { Main, Companion };

struct SpeechDeps {
    TtsEngine* engine = nullptr;        // null: the voice object cannot be created
    VoicePlayer* player = nullptr;      // plays recorded files on the worker threads
    NamedEvents* events = nullptr;      // for the "WaitPlayed" hand-off
    UserServices* ui = nullptr;
    QWidget* owner = nullptr;           // owner of the message boxes
    Env* env = nullptr;                 // voice-file tests; null = the real file system
};

class SpeechOutput {
public:
    static constexpr int kHandOffWaitMs = 1000;
    static constexpr int kMaxPlayMs = 5000;

    SpeechOutput(SpeechProgram program, SpeechDeps deps);
    ~SpeechOutput();   // stops and joins every playback
    SpeechOutput(const SpeechOutput&) = delete;
    SpeechOutput& operator=(const SpeechOutput&) = delete;

    // Reads the settings of `profile` and sets every field, showing the failure messages; the
    // folders of recordings come from [SPEECH2] Recordings ("FOLDER|PATTERN", ';'-separated).
    void initialise(const Profile& profile, const QString& programFolder);

    // ttsOnly skips the recorded files (the settings dialog's test). Never blocks for more than
    // the hand-off wait.
    void SpeakWord(const QString& word, bool ttsOnly = false);

    // Main program: writes "TTSVolume" and "TTSRate" when a voice exists; both: release the voice.
    void shutDown(Profile* profile);
    // Main program at exit, with the rest of its settings: "VoicePath" and "IsDisableTTS".
    void writeSettings(Profile& profile) const;

    // The settings dialog.
    void setTtsDisabled(bool disabled);   // disabling stops synthesis until the next start
    void setVolume(int volume);           // also given to the engine when a voice exists
    void setRate(int rate);
    void setVoiceFolder(const QString& folder) { voiceFolder_ = folder; }
    TtsEngine* engine() const { return hasVoice_ ? deps_.engine : nullptr; }
    // Makes the token the engine's voice; false, with the voice unchanged, when it is refused.
    bool setVoice(const QString& tokenId);
    // A running program follows the voice the learner chose in the other one: [SPEECH2]'s voice
    // (or the 美音 accent's) of `profile` when it is not the current one.
    void followLearnersVoice(const Profile& profile);
    // The accent ("UK" or "US", as the voices name theirs) chosen: the current voice when it
    // speaks it, else the plain voice of the accent (espeak-ng's en / en-GB, en-US), else the
    // first listed that speaks it, becomes the voice. The voice's token; empty when none could be set.
    QString setAccentVoice(const QString& accent);
    // The token the engine speaks with (the category's default when none was named at start);
    // empty when no voice was set.
    const QString& currentVoice() const { return currentVoice_; }

    bool ttsReady() const { return ttsReady_; }
    bool ttsDisabled() const { return ttsDisabled_; }
    bool hasVoice() const { return hasVoice_; }
    uint16_t volume() const { return volume_; }
    int32_t rate() const { return rate_; }
    const QString& voiceFolder() const { return voiceFolder_; }

    // The recorded file that would be played for `word`, or empty (no file, or a word that could
    // name a file outside the voice folder).
    // With `cache`, each folder of recordings is listed once over many words (a Book's count).
    QString recordedFile(const QString& word, RecordingFolderCache* cache = nullptr) const;
    // Every recording of `word` in the order they are tried: the voice folder (where an Anki
    // import puts a package's sounds) and then the learner's folders of recordings. A file larger
    // than kMaxRecordingBytes is no recording. A file that cannot be played gives way to the next,
    // and after the last to synthesis, so that the word is heard all the same.
    QStringList recordedFiles(const QString& word, RecordingFolderCache* cache = nullptr) const;
    // False when no word can have a recording: no folders of recordings and no letter folder in
    // the voice folder. Spares a large Book's count the look-up of every word.
    bool mayHaveRecordings(RecordingFolderCache* cache) const;
    static constexpr qint64 kMaxRecordingBytes = 16 * 1024 * 1024;
    void setRecordingSources(QList<RecordingSource> sources) { sources_ = std::move(sources); }
    const QList<RecordingSource>& recordingSources() const { return sources_; }

    // Waits for every playback started so far to end (tests, shutdown).
    void joinPlayback();

private:
    void initialiseVoice(const Profile& profile);
    // The voice [SPEECH2] asks for (Engine and Voice, else the 美音 accent's), when there is one.
    std::optional<QString> learnersVoice(const Profile& profile, const QString& voiceKey) const;
    void initialiseFolder(const Profile& profile, const QString& programFolder);
    void playFile(const QStringList& paths, const QString& word);
    void speakSynthesised(const QString& word);
    void reapFinished();
    void showError(const QString& text);

    SpeechProgram program_;
    SpeechDeps deps_;
    bool hasVoice_ = false;
    bool ttsReady_ = false;
    bool ttsDisabled_ = false;
    uint16_t volume_ = 100;
    int32_t rate_ = 0;
    QString voiceFolder_;
    QString currentVoice_;
    QList<RecordingSource> sources_;

    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> workers_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<QObject> context_;   // worker errors are shown on the owning thread
};

// The default of "VoicePath": the voice folder beside the program, relative to the current folder.
QString defaultVoicePath();

} // namespace lex
