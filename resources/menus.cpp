// Menus 158 and 136 and tool bar 208 with their command numbers.
#include "resources/resources.h"

#include "lexora/book/skills.h"

namespace lex::res {

using ui::MenuItemSpec;

namespace {

MenuItemSpec item(int id, const QString& text) { return MenuItemSpec{id, text, {}}; }
MenuItemSpec separator() { return MenuItemSpec{}; }
MenuItemSpec popup(const QString& text, std::vector<MenuItemSpec> children)
{
    return MenuItemSpec{0, text, std::move(children)};
}

ui::MenuResource mainMenu()
{
    ui::MenuResource m;
    m.id = IDR_MAIN_MENU;
    m.popups = {
        popup(QStringLiteral("文件"), {
            item(cmd::kImport, QStringLiteral("导入    ")),
            item(cmd::kExport, QStringLiteral("导出    ")),
            separator(),
            item(cmd::kSave, QStringLiteral("保存    ")),
            separator(),
            item(cmd::kExit, QStringLiteral("退出    ")),
            item(cmd::kExitNoSave, QStringLiteral("退出(不保存)")),
        }),
        popup(QStringLiteral("编辑"), {
            item(cmd::kUndo, QStringLiteral("撤销\tCtrl+Z")),
            item(cmd::kRedo, QStringLiteral("重做\tCtrl+Y")),
            separator(),
            item(cmd::kAdd, QStringLiteral("添加项  ")),
            item(cmd::kModify, QStringLiteral("修改项  ")),
            item(cmd::kDelete, QStringLiteral("删除项  ")),
            item(cmd::kClassName, QStringLiteral("指定类名")),
            item(cmd::kMoveCopy, QStringLiteral("移动&&复制到组")),
            separator(),
            item(cmd::kFind, QStringLiteral("查找    ")),
            separator(),
            item(cmd::kShuffle, QStringLiteral("乱序    ")),
            item(cmd::kRenumber, QStringLiteral("重置序号")),
            item(cmd::kCheckDuplicates, QStringLiteral("检查重复")),
            separator(),
            item(cmd::kGroups, QStringLiteral("新建&&切换组")),
            item(cmd::kNewBookFromList, QStringLiteral("从词表新建组")),
            item(cmd::kSettings, QStringLiteral("设置")),
        }),
        popup(QStringLiteral("练习"), {
            item(cmd::kLearn, QStringLiteral("初记    ")),
            item(cmd::kDrill, QStringLiteral("强记")),
            item(cmd::kListen, QStringLiteral("听辩    ")),
            separator(),
            item(cmd::kDictate, QStringLiteral("听写    ")),
            item(cmd::kCloze, QStringLiteral("填空")),
            item(cmd::kWordsFromText, QStringLiteral("从文章取词")),
            separator(),
            item(cmd::kVocabularyTest, QStringLiteral("词汇量测试")),
            item(cmd::kTodayPlan, QStringLiteral("今日计划")),
            item(cmd::kTodayReview, QStringLiteral("今日复习")),
            item(cmd::kStatistics, QStringLiteral("学习统计")),
        }),
        popup(QStringLiteral("帮助"), {
            item(cmd::kHelp, QStringLiteral("帮助 && 说明")),
            item(cmd::kCheckUpdate, QStringLiteral("检测更新")),
            item(cmd::kAbout, QStringLiteral("关于 Lexora(A)...")),
        }),
    };
    return m;
}

ui::MenuResource popupMenu()
{
    const QString degrees[] = {QStringLiteral("临时"), QStringLiteral("认读"), QStringLiteral("拼写"),
                               QStringLiteral("听辩")};
    std::vector<MenuItemSpec> set, plus, minus;
    for (int d = 0; d < kDegreeCount; ++d) {
        const Degree degree = Degree(d);
        std::vector<MenuItemSpec> values;
        for (int v = 0; v <= kMaxStrangeness; ++v)
            values.push_back(item(cmd::kSetStrangeness + setCommandOffset(degree, uint8_t(v)), QString::number(v)));
        set.push_back(popup(degrees[d], std::move(values)));
        plus.push_back(item(cmd::kRaiseStrangeness + stepCommandOffset(degree), degrees[d]));
        minus.push_back(item(cmd::kLowerStrangeness + stepCommandOffset(degree), degrees[d]));
    }
    ui::MenuResource m;
    m.id = IDR_POPUP_MENU;
    m.popups = {
        popup(QStringLiteral("弹出菜单"), {
            // Added at the top, as in 编辑, so that the filter stays the last item.
            item(cmd::kUndo, QStringLiteral("撤销\tCtrl+Z")),
            item(cmd::kRedo, QStringLiteral("重做\tCtrl+Y")),
            separator(),
            popup(QStringLiteral("设置陌生度"), std::move(set)),
            popup(QStringLiteral("陌生度加一"), std::move(plus)),
            popup(QStringLiteral("陌生度减一"), std::move(minus)),
            separator(),
            item(cmd::kAdd, QStringLiteral("添加")),
            item(cmd::kModify, QStringLiteral("修改")),
            item(cmd::kDelete, QStringLiteral("删除")),
            separator(),
            item(cmd::kMoveCopy, QStringLiteral("移动&&复制到组")),
            item(cmd::kClassName, QStringLiteral("指定类名")),
            separator(),
            item(cmd::kStrangenessFilter, QStringLiteral("陌生度选择过虑")),
        }),
    };
    return m;
}

} // namespace

const ui::MenuResource& menu(int id)
{
    static const ui::MenuResource main = mainMenu();
    static const ui::MenuResource list = popupMenu();
    static const ui::MenuResource none;
    return id == IDR_MAIN_MENU ? main : id == IDR_POPUP_MENU ? list : none;
}

const std::vector<ToolButtonSpec>& toolBar()
{
    static const std::vector<ToolButtonSpec> buttons = {
        {cmd::kWebPage, QStringLiteral("浏览器"), TbCheckGroup | TbAutoSize | TbChecked, 0},
        {cmd::kStudyPage, QStringLiteral("学习"), TbCheckGroup | TbAutoSize, 1},
        {0, QString(), TbSeparator, -1},
        {cmd::kWebHome, QStringLiteral("主页"), TbAutoSize, 2},
        {cmd::kWebBack, QStringLiteral("后退"), TbAutoSize, 3},
        {cmd::kWebForward, QStringLiteral("前进"), TbAutoSize, 4},
        {cmd::kWebStop, QStringLiteral("停止"), TbAutoSize, 5},
        {cmd::kWebRefresh, QStringLiteral("刷新"), TbAutoSize, 6},
        {cmd::kMenuFile, QStringLiteral("文件"), TbAutoSize | TbWholeDropDown, 7},
        {cmd::kMenuEdit, QStringLiteral("编辑"), TbAutoSize | TbWholeDropDown, 8},
        {cmd::kLearn, QStringLiteral("练习"), TbAutoSize | TbWholeDropDown, 9},
        {cmd::kMenuHelp, QStringLiteral("帮助"), TbAutoSize | TbWholeDropDown, 10},
    };
    return buttons;
}

QString string(int id)
{
    if (id == IDS_ABOUTBOX)
        return QStringLiteral("关于 Lexora(&A)...");
    return {};
}

} // namespace lex::res
