#pragma once
// CPropSub4: the settings page "同步" (template 250): the folder a sync tool carries between the
// learner's machines, this machine's name, and the other machines seen there with when each last
// wrote. "关闭保存" applies a change ([SYNC] of Config.INI) and merges at once. An empty folder:
// nothing is synced.

#include "common/ui/command.h"
#include "resources/resource_ids.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;

namespace lex {

struct SettingsTarget;

class CPropSub4 final : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kFolder = res::prop_sub4::kFolder, kFolderButton = res::prop_sub4::kFolderButton,
                         kDevice = res::prop_sub4::kDevice, kMachines = res::prop_sub4::kMachines,
                         kNote = res::prop_sub4::kNote;

    explicit CPropSub4(SettingsTarget& target, QWidget* parent = nullptr);
    void fill();
    bool onCommand(int id, qintptr param) override;
    // Applies a changed folder or name; true when nothing changed or it was applied.
    bool save();

    QString folderText() const;
    QString deviceText() const;

private:
    SettingsTarget& target_;
    QLineEdit* folder_ = nullptr;
    QLineEdit* device_ = nullptr;
    QListWidget* machines_ = nullptr;
    QLabel* note_ = nullptr;
};

} // namespace lex
