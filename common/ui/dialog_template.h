#pragma once
// A dialog template as data: the controls of a window, each addressed by its number, with its
// kind, caption, style and rectangle in dialog units. Windows look their controls up by number.

#include <QString>
#include <QStringList>
#include <vector>

namespace lex::ui {

// Control numbers shared by every template.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;   // labels that nobody addresses

enum class Kind {
    Static,
    Edit,
    PushButton,
    DefPushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    DropDownList,     // drop-down list without an edit field
    DropDownCombo,    // combo box with an edit field
    ListBox,
    RichEdit,
    ProgressBar,
    Slider,
    TreeView,
    ListView,
    EtchedHorz,       // a one-pixel etched line
    EtchedVert,
    Custom,           // a placeholder the owning window replaces (web page, tool bar ...)
};

enum Style : unsigned {
    None = 0,
    Group = 1u << 0,        // starts a new dialog group (radio buttons up to the next Group)
    Disabled = 1u << 1,
    Hidden = 1u << 2,
    ReadOnly = 1u << 3,
    MultiLine = 1u << 4,
    VScroll = 1u << 5,
    Centre = 1u << 6,
    Sorted = 1u << 7,
    PushLike = 1u << 8,
    Flat = 1u << 9,
    WantReturn = 1u << 10,
    AutoHScroll = 1u << 11,
    ClientEdge = 1u << 12,
    Right = 1u << 13,
};

struct ControlSpec {
    int id = IDC_STATIC;
    Kind kind = Kind::Static;
    QString caption;
    unsigned style = None;
    int x = 0, y = 0, w = 0, h = 0;   // dialog units
    QStringList items;                 // list and combo items in template order
};

struct DialogTemplate {
    int id = 0;
    QString caption;
    int width = 0, height = 0;         // client size in dialog units
    std::vector<ControlSpec> controls;

    const ControlSpec* find(int controlId) const
    {
        for (const ControlSpec& c : controls)
            if (c.id == controlId)
                return &c;
        return nullptr;
    }
};

} // namespace lex::ui
