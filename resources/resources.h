#pragma once
// Lexora's and Glosix's resources: templates, menus, the tool bar, bitmaps, cursors, the icon and
// the string table.

#include "common/ui/dialog_template.h"
#include "common/ui/menu_resource.h"
#include "resources/resource_ids.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <vector>

namespace lex::res {

// Lexora's dialog template with that number; an empty template (id 0) when there is none.
const ui::DialogTemplate& dialogTemplate(int id);
// Every number dialogTemplate() knows.
std::vector<int> dialogTemplateIds();
// Glosix's window.
const ui::DialogTemplate& glosixTemplate();
// Glosix's look-up history.
const ui::DialogTemplate& glosixHistoryTemplate();

// Menu 158 (four pop-ups) and menu 136 (one pop-up "弹出菜单").
const ui::MenuResource& menu(int id);

enum ToolButtonStyle : unsigned {
    TbCheckGroup = 1u << 0,
    TbAutoSize = 1u << 1,
    TbWholeDropDown = 1u << 2,
    TbChecked = 1u << 3,      // initial state
    TbSeparator = 1u << 4,
};

struct ToolButtonSpec {
    int command = 0;          // 0 for the separator
    QString text;
    unsigned style = 0;
    int image = -1;           // index into bitmap 185
};

// Tool bar 208, in button order.
const std::vector<ToolButtonSpec>& toolBar();

// The bitmap as drawn; use transparentBitmap() for the ones drawn with black as transparent.
QPixmap bitmap(int id);
QPixmap transparentBitmap(int id);
// The 30 x 30 image `index` of bitmap 185, black made transparent.
QPixmap toolBarImage(int index);
QCursor cursor(int id);
QIcon appIcon();
QString string(int id);

} // namespace lex::res
