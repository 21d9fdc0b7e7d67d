#pragma once
// CMyPropPage: the settings dialog (template 173, "属性页"): a list of the pages and the page
// shown beside it (the fourth, "词典", orders the StarDict dictionaries). Colour, font size and voice act as soon as they are chosen; "关闭保存" applies
// the rest and closes. Closing otherwise keeps only what already acted.

#include "common/ui/command.h"
#include "lexora/settings/settings_target.h"
#include "resources/resource_ids.h"

class QGroupBox;
class QListWidget;

namespace lex {

class CPropSub0;
class CPropSub1;
class CPropSub2;
class CPropSub3;
class CPropSub4;

class CMyPropPage final : public ui::CommandDialog {
    Q_OBJECT
public:
    static constexpr int kPageList = res::prop_page::kPageList, kPageFrame = res::prop_page::kPageFrame,
                         kCloseSave = res::prop_page::kCloseSave, kDefaultAll = res::prop_page::kDefaultAll;
    static constexpr int kPageCount = 5;   // 常规, TTS合成音, 快捷键, 词典, 同步

    // Fills every page from `target`; the dialog opens on "TTS合成音".
    explicit CMyPropPage(SettingsTarget target, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    int pageShown() const { return shown_; }
    void showPage(int index);
    QWidget* page(int index) const;
    CPropSub0* general() const { return sub0_; }
    CPropSub1* speechPage() const { return sub1_; }
    CPropSub3* dictionaryPage() const { return sub3_; }
    CPropSub4* syncPage() const { return sub4_; }
    QListWidget* pageList() const { return list_; }
    const SettingsTarget& target() const { return target_; }

private:
    bool closeSave();

    SettingsTarget target_;
    QListWidget* list_ = nullptr;
    QGroupBox* frame_ = nullptr;
    CPropSub0* sub0_ = nullptr;
    CPropSub1* sub1_ = nullptr;
    CPropSub2* sub2_ = nullptr;
    CPropSub3* sub3_ = nullptr;
    CPropSub4* sub4_ = nullptr;
    int shown_ = -1;
};

} // namespace lex
