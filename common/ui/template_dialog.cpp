#include "common/ui/template_dialog.h"

namespace lex::ui {

TemplateDialog::TemplateDialog(QWidget* parent, Qt::WindowFlags flags) : CommandDialog(parent, flags)
{
    setFont(defaultDialogFont());
}

void TemplateDialog::buildFrom(const DialogTemplate& tmpl, const std::function<void(TemplateBuilder&)>& customise)
{
    TemplateBuilder builder(tmpl);
    builder.routeTo(this);
    if (customise)
        customise(builder);
    controls_ = builder.build(this);
    setFixedSize(builder.clientSize(font()));
}

} // namespace lex::ui
