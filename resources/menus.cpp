// Menus 158 and 136 and tool bar 208 with their command numbers.
#include "resources/resources.h"

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
            item(14000, QStringLiteral("导入    ")),
            item(14001, QStringLiteral("导出    ")),
            separator(),
            item(14002, QStringLiteral("保存    ")),
            separator(),
            item(14103, QStringLiteral("退出    ")),
            item(14104, QStringLiteral("退出(不保存)")),
        }),
        popup(QStringLiteral("编辑"), {
            item(14018, QStringLiteral("撤销\tCtrl+Z")),
            item(14019, QStringLiteral("重做\tCtrl+Y")),
            separator(),
            item(14005, QStringLiteral("添加项  ")),
            item(14006, QStringLiteral("修改项  ")),
            item(14007, QStringLiteral("删除项  ")),
            item(14008, QStringLiteral("指定类名")),
            item(14017, QStringLiteral("移动&&复制到组")),
            separator(),
            item(14012, QStringLiteral("查找    ")),
            separator(),
            item(14009, QStringLiteral("乱序    ")),
            item(14010, QStringLiteral("重置序号")),
            item(14011, QStringLiteral("检查重复")),
            separator(),
            item(14003, QStringLiteral("新建&&切换组")),
            item(14013, QStringLiteral("设置")),
        }),
        popup(QStringLiteral("练习"), {
            item(14014, QStringLiteral("初记    ")),
            item(14015, QStringLiteral("强记")),
            item(14016, QStringLiteral("听辩    ")),
            separator(),
            item(14004, QStringLiteral("听写    ")),
            separator(),
            item(14020, QStringLiteral("今日复习")),
        }),
        popup(QStringLiteral("帮助"), {
            item(14100, QStringLiteral("帮助 && 说明")),
            item(14101, QStringLiteral("检测更新")),
            item(14102, QStringLiteral("关于 Lexora(A)...")),
        }),
    };
    return m;
}

ui::MenuResource popupMenu()
{
    const QString degrees[] = {QStringLiteral("临时"), QStringLiteral("认读"), QStringLiteral("拼写"),
                               QStringLiteral("听辩")};
    std::vector<MenuItemSpec> set, plus, minus;
    for (int d = 0; d < 4; ++d) {
        std::vector<MenuItemSpec> values;
        for (int v = 0; v <= 10; ++v)
            values.push_back(item(10000 + 100 * d + v, QString::number(v)));
        set.push_back(popup(degrees[d], std::move(values)));
        plus.push_back(item(12004 + d, degrees[d]));
        minus.push_back(item(13004 + d, degrees[d]));
    }
    ui::MenuResource m;
    m.id = IDR_POPUP_MENU;
    m.popups = {
        popup(QStringLiteral("弹出菜单"), {
            // Added at the top, as in 编辑, so that the filter stays the last item.
            item(14018, QStringLiteral("撤销\tCtrl+Z")),
            item(14019, QStringLiteral("重做\tCtrl+Y")),
            separator(),
            popup(QStringLiteral("设置陌生度"), std::move(set)),
            popup(QStringLiteral("陌生度加一"), std::move(plus)),
            popup(QStringLiteral("陌生度减一"), std::move(minus)),
            separator(),
            item(14005, QStringLiteral("添加")),
            item(14006, QStringLiteral("修改")),
            item(14007, QStringLiteral("删除")),
            separator(),
            item(14017, QStringLiteral("移动&&复制到组")),
            item(14008, QStringLiteral("指定类名")),
            separator(),
            item(32921, QStringLiteral("陌生度选择过虑")),
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
        {32900, QStringLiteral("浏览器"), TbCheckGroup | TbAutoSize | TbChecked, 0},
        {32899, QStringLiteral("学习"), TbCheckGroup | TbAutoSize, 1},
        {0, QString(), TbSeparator, -1},
        {32911, QStringLiteral("主页"), TbAutoSize, 2},
        {32901, QStringLiteral("后退"), TbAutoSize, 3},
        {32902, QStringLiteral("前进"), TbAutoSize, 4},
        {32903, QStringLiteral("停止"), TbAutoSize, 5},
        {32904, QStringLiteral("刷新"), TbAutoSize, 6},
        {32906, QStringLiteral("文件"), TbAutoSize | TbWholeDropDown, 7},
        {32907, QStringLiteral("编辑"), TbAutoSize | TbWholeDropDown, 8},
        {14014, QStringLiteral("练习"), TbAutoSize | TbWholeDropDown, 9},
        {32910, QStringLiteral("帮助"), TbAutoSize | TbWholeDropDown, 10},
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
