#pragma once
// CPropSub3: the settings page "词典" (template 175): the StarDict dictionaries Glosix finds, each
// with its name and word count, to switch on and off (check box, Space) and to order (上移/下移,
// Ctrl+Up/Ctrl+Down); below, which English parts Glosix shows under an entry ([ENGLISH]). The
// choice is stored by "关闭保存".

#include "common/config/english_settings.h"
#include "common/config/stardict_order.h"
#include "common/ui/command.h"
#include "resources/resource_ids.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace lex {

struct SettingsTarget;

class CPropSub3 final : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kDictionaries = res::prop_sub3::kDictionaries, kMoveUp = res::prop_sub3::kMoveUp,
                         kMoveDown = res::prop_sub3::kMoveDown, kPlace = res::prop_sub3::kPlace,
                         kNote = res::prop_sub3::kNote, kPhonetics = res::prop_sub3::kPhonetics,
                         kSenses = res::prop_sub3::kSenses, kDefinition = res::prop_sub3::kDefinition,
                         kTipExample = res::prop_sub3::kTipExample;

    CPropSub3(SettingsTarget& target, QWidget* parent = nullptr);

    // Lists the dictionaries found, in the stored order and state.
    void fill();
    bool onCommand(int id, qintptr param) override;

    // The list as it stands, top first.
    std::vector<StarDictChoice> choices() const;
    // The English parts as the check boxes stand.
    EnglishSettings english() const;
    // Writes the choice when the learner changed it; false when the write failed.
    bool save();

    // The text an item shows: "NAME  (N 词)".
    static QString itemText(const QString& name, qint64 wordCount);

private:
    void move(int by);
    void currentChanged();
    void showState(QListWidgetItem* item);

    SettingsTarget& target_;
    QListWidget* list_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QLabel* place_ = nullptr;
    QLabel* note_ = nullptr;
    QCheckBox* phonetics_ = nullptr;
    QCheckBox* senses_ = nullptr;
    QCheckBox* definition_ = nullptr;
    QCheckBox* tipExample_ = nullptr;
    std::vector<StarDictChoice> filled_;
    EnglishSettings englishFilled_;
};

} // namespace lex
