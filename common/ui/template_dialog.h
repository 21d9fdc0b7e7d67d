#pragma once
// A dialog made from one template: its controls built in the dialog font, addressed by number,
// every button routed to onCommand(id, param), the window sized to the template's client area.

#include "common/ui/command.h"
#include "common/ui/template_builder.h"

#include <functional>

namespace lex::ui {

class TemplateDialog : public CommandDialog {
    Q_OBJECT
public:
    explicit TemplateDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The control with that number (nullptr when the template has none of that type).
    template <class T>
    T* item(int id) const
    {
        return qobject_cast<T*>(controls_.value(id));
    }
    QWidget* item(int id) const { return controls_.value(id); }

protected:
    // Builds the template's controls; `customise` may add factories before the build.
    void buildFrom(const DialogTemplate& tmpl, const std::function<void(TemplateBuilder&)>& customise = {});

private:
    QHash<int, QWidget*> controls_;
};

} // namespace lex::ui
