#pragma once
// What the settings dialog works on, handed in by the word-book window before it opens: the
// current values, the speech output, and the actions that change the running program. The
// dialog acts through these only, so that tests can give it their own.

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace lex {

class Env;
class Profile;
class SpeechOutput;
class UserServices;

struct SettingsTarget {
    UserServices* ui = nullptr;
    SpeechOutput* speech = nullptr;   // its voice object may be missing (synthesis off or failed)
    Profile* profile = nullptr;       // where "关闭保存" writes TTSVoice/TTSEngineMale and the
                                      // StarDict choice; the page "词典" reads that from it
    Env* env = nullptr;               // the dictionaries' .ifo files are read here; null: the real files
    QString programFolder;            // where Dict/ lies
    // Where StarDict dictionaries are looked for; none given: where Glosix looks.
    std::optional<QStringList> starDictFolders;

    QString bookFolder;               // '/'-terminated
    bool forbidWinStick = true;
    QColor background;
    int fontType = 0;                 // 0 小, 1 中, 2 大
    double retention = 0.9;           // REVIEW/DesiredRetention, written by "关闭保存"

    // Acting at once.
    std::function<void(const QColor&)> setBackground;
    std::function<void(int fontType)> setFontType;
    // Applied by "关闭保存".
    std::function<void(bool)> setForbidWinStick;
    // Saves the open Book to the old folder and loads it from `folder`; false when the folder was
    // refused or the save failed (the Book and its folder are then unchanged).
    std::function<bool(const QString& folder)> changeBookFolder;

    // The page "同步": the synced folder and this machine's name ([SYNC]; empty: the host name,
    // syncDefaultDevice), the machines seen there and when each last wrote (ms since the epoch).
    QString syncFolder, syncDevice, syncDefaultDevice;
    QHash<QString, qint64> syncSeen;
    // Applied by "关闭保存" when the folder or the name changed: kept and merged at once.
    std::function<void(const QString& folder, const QString& device)> setSync;
};

namespace settings {

// The sliders' integer mappings: position 0..10.
inline int volumeToPosition(int volume) { return volume / 10; }
inline int positionToVolume(int position) { return position * 10; }
inline int rateToPosition(int rate) { return (rate + 10) / 2; }
inline int positionToRate(int position) { return position * 2 - 10; }

// A folder as the settings keep it: '/' separators and a closing '/'; empty stays empty.
QString withTrailingSlash(const QString& folder);

// The check a new Book folder passes: empty when `folder` is a folder (through `env`; null: the
// real files), else the message that asks for another one.
QString bookFolderProblem(Env* env, const QString& folder);

} // namespace settings

} // namespace lex
