#pragma once
// Menus as data with their command numbers; every item ends in the window's onCommand.

#include "common/ui/command.h"

#include <QString>
#include <vector>

class QMenu;
class QWidget;

namespace lex::ui {

struct MenuItemSpec {
    int id = 0;                          // 0 with no text: separator; 0 with children: pop-up
    QString text;                        // '&' marks the mnemonic, "&&" is a literal '&'
    std::vector<MenuItemSpec> children;

    bool isSeparator() const { return id == 0 && text.isEmpty() && children.empty(); }
    bool isPopup() const { return !children.empty(); }
};

struct MenuResource {
    int id = 0;
    std::vector<MenuItemSpec> popups;    // the top-level pop-ups, in order
};

// Builds one pop-up (with its sub-menus); each item's triggered() goes to target->onCommand(id, 0).
// The command number is kept in each action's data().
QMenu* buildMenu(const MenuItemSpec& popup, CommandTarget* target, QWidget* parent);

} // namespace lex::ui
