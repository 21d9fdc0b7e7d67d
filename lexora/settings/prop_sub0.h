#pragma once
// CPropSub0: the settings page "常规" (template 104): Book and voice folders with their folder
// choosers, the list's background colour and font size (both acting at once), window snapping and
// the memory model's desired retention.

#include "common/ui/command.h"
#include "resources/resource_ids.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

namespace lex {

class CColorPicker;
struct SettingsTarget;

class CPropSub0 final : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kBookFolder = res::prop_sub0::kBookFolder,
                         kBookFolderButton = res::prop_sub0::kBookFolderButton,
                         kVoiceFolder = res::prop_sub0::kVoiceFolder,
                         kVoiceFolderButton = res::prop_sub0::kVoiceFolderButton,
                         kColorPicker = res::prop_sub0::kColorPicker, kColorText = res::prop_sub0::kColorText,
                         kFontSize = res::prop_sub0::kFontSize, kForbidWinStick = res::prop_sub0::kForbidWinStick,
                         kDesiredRetention = res::prop_sub0::kDesiredRetention;

    CPropSub0(SettingsTarget& target, QWidget* parent = nullptr);

    // Fills the controls from the target, without any of them acting.
    void fill(const QString& voiceFolder);

    bool onCommand(int id, qintptr param) override;

    QString bookFolderText() const;
    QString voiceFolderText() const;
    bool forbidWinStick() const;
    double desiredRetention() const;

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
    QDoubleSpinBox* retention_ = nullptr;
};

} // namespace lex
