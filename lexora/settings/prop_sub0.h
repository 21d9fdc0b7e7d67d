#pragma once
// CPropSub0: the settings page "常规" (template 104): Book and voice folders with their folder
// choosers, the list's background colour and font size (both acting at once), and window snapping.

#include "common/ui/command.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace lex {

class CColorPicker;
struct SettingsTarget;

class CPropSub0 final : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kBookFolder = 1012, kBookFolderButton = 1007;
    static constexpr int kVoiceFolder = 1013, kVoiceFolderButton = 1004;
    static constexpr int kColorPicker = 1006, kColorText = 1014, kFontSize = 1011, kForbidWinStick = 1018;

    CPropSub0(SettingsTarget& target, QWidget* parent = nullptr);

    // Fills the controls from the target, without any of them acting.
    void fill(const QString& voiceFolder);

    bool onCommand(int id, qintptr param) override;

    QString bookFolderText() const;
    QString voiceFolderText() const;
    bool forbidWinStick() const;

private:
    void chooseFolder(QLineEdit* edit);
    void applyColor();
    void applyFontSize(int index);

    SettingsTarget& target_;
    QLineEdit* bookFolder_ = nullptr;
    QLineEdit* voiceFolder_ = nullptr;
    CColorPicker* picker_ = nullptr;
    QLineEdit* colorText_ = nullptr;
    QComboBox* fontSize_ = nullptr;
    QCheckBox* forbid_ = nullptr;
};

} // namespace lex
