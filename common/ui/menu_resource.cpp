#include "common/ui/menu_resource.h"

#include <QAction>
#include <QMenu>

namespace lex::ui {

namespace {
void fill(QMenu* menu, const MenuItemSpec& popup, CommandTarget* target)
{
    for (const MenuItemSpec& item : popup.children) {
        if (item.isSeparator()) {
            menu->addSeparator();
        } else if (item.isPopup()) {
            QMenu* sub = menu->addMenu(item.text);
            fill(sub, item, target);
        } else {
            QAction* a = menu->addAction(item.text);
            a->setData(item.id);
            const int id = item.id;
            QObject::connect(a, &QAction::triggered, menu, [target, id] {
                if (target)
                    target->onCommand(id, 0);
            });
        }
    }
}
} // namespace

QMenu* buildMenu(const MenuItemSpec& popup, CommandTarget* target, QWidget* parent)
{
    auto* menu = new QMenu(popup.text, parent);
    fill(menu, popup, target);
    return menu;
}

} // namespace lex::ui
