#include "lexora/settings/prop_sub2.h"

#include "common/ui/template_builder.h"
#include "resources/resources.h"

namespace lex {

CPropSub2::CPropSub2(QWidget* parent) : QWidget(parent)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PROPSUB2));
    builder.build(this);
    resize(builder.clientSize(font()));
}

} // namespace lex
