#pragma once
// Builds the widgets of a dialog template inside a window and finds them again by number.

#include "common/ui/command.h"
#include "common/ui/dialog_template.h"
#include "common/ui/dialog_units.h"

#include <QHash>
#include <QPoint>
#include <QWidget>
#include <functional>

namespace lex::ui {

// Dynamic properties set on every built control.
inline constexpr char kControlIdProperty[] = "lexControlId";
inline constexpr char kGroupProperty[] = "lexGroup";

// The number a built control was given, IDC_STATIC when it has none.
int controlId(const QWidget* w);
// The dialog group a built control belongs to (-1 when it was not built from a template).
int controlGroup(const QWidget* w);

// Finds the control with that number among the descendants of `root` (first match).
QWidget* findControl(const QWidget* root, int id);
template <class T>
T* control(const QWidget* root, int id)
{
    return qobject_cast<T*>(findControl(root, id));
}

class TemplateBuilder {
public:
    // Returns the widget for a control, or nullptr to fall back to the default for its kind.
    using Factory = std::function<QWidget*(const ControlSpec&, QWidget* parent)>;

    explicit TemplateBuilder(const DialogTemplate& tmpl);

    // Make this control with `f` (e.g. a window's own list class for one number).
    TemplateBuilder& withControl(int id, Factory f);
    // Make every control of a kind with `f` (e.g. image buttons for all buttons of a window).
    TemplateBuilder& withKind(Kind kind, Factory f);
    // Button clicks go to target->onCommand(id, 0).
    TemplateBuilder& routeTo(CommandTarget* target);

    // Creates the controls as children of `parent`, placed at `origin` + the template rectangle
    // converted with the parent's font; also sets the parent's title when it is a window.
    // Returns the numbered controls.
    QHash<int, QWidget*> build(QWidget* parent, QPoint origin = {});

    // The template's client size in pixels for `font`.
    QSize clientSize(const QFont& font) const;

    // The default widget for a control spec (exposed for factories that decorate it).
    static QWidget* createDefault(const ControlSpec& spec, QWidget* parent);

private:
    const DialogTemplate& tmpl_;
    QHash<int, Factory> byId_;
    QHash<int, Factory> byKind_;
    CommandTarget* target_ = nullptr;
};

} // namespace lex::ui
