#pragma once
// Speaking a word: from its recorded voice file when there is one, else by synthesis, else not
// at all. Each program keeps one SpeechOutput in its main window and initialises it once.

#include <QString>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
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

    // Reads the settings of `profile` and sets every field, showing the failure messages.
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
    QString recordedFile(const QString& word) const;

    // Waits for every playback started so far to end (tests, shutdown).
    void joinPlayback();

private:
    void initialiseVoice(const Profile& profile);
    void initialiseFolder(const Profile& profile, const QString& programFolder);
    void playFile(const QString& path);
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
