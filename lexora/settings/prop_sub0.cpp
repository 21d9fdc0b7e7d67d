#include "lexora/settings/prop_sub0.h"

#include "common/config/config_keys.h"
#include "common/controls/color_picker.h"
#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "lexora/settings/settings_target.h"
#include "resources/resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace lex {

CPropSub0::CPropSub0(SettingsTarget& target, QWidget* parent) : QWidget(parent), target_(target)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PROPSUB0));
    builder
        .withControl(kColorPicker,
                     [this](const ui::ControlSpec&, QWidget* p) -> QWidget* { return new CColorPicker(p, target_.ui); })
        .withControl(kDesiredRetention,
                     [](const ui::ControlSpec&, QWidget* p) -> QWidget* {
                         auto* box = new QDoubleSpinBox(p);
                         box->setRange(config::kMinDesiredRetention, config::kMaxDesiredRetention);
                         box->setDecimals(2);
                         box->setSingleStep(0.01);
                         box->setToolTip(QStringLiteral("复习时希望还记得的把握（0.70至0.99）：越高复习越勤"));
                         return box;
                     })
        .routeTo(this);
    const QHash<int, QWidget*> c = builder.build(this);
    resize(builder.clientSize(font()));
    bookFolder_ = qobject_cast<QLineEdit*>(c.value(kBookFolder));
    voiceFolder_ = qobject_cast<QLineEdit*>(c.value(kVoiceFolder));
    picker_ = qobject_cast<CColorPicker*>(c.value(kColorPicker));
    colorText_ = qobject_cast<QLineEdit*>(c.value(kColorText));
    fontSize_ = qobject_cast<QComboBox*>(c.value(kFontSize));
    forbid_ = qobject_cast<QCheckBox*>(c.value(kForbidWinStick));
    retention_ = qobject_cast<QDoubleSpinBox*>(c.value(kDesiredRetention));
    picker_->setTextControl(colorText_);
    connect(fontSize_, &QComboBox::currentIndexChanged, this, &CPropSub0::applyFontSize);
}

void CPropSub0::fill(const QString& voiceFolder)
{
    const QSignalBlocker b1(fontSize_), b2(picker_), b3(forbid_), b4(retention_);
    retention_->setValue(target_.retention);
    voiceFolder_->setText(voiceFolder);
    bookFolder_->setText(target_.bookFolder);
    forbid_->setChecked(target_.forbidWinStick);
    picker_->setColor(target_.background);
    fontSize_->setCurrentIndex(qBound(0, target_.fontType, 2));
}

bool CPropSub0::onCommand(int id, qintptr)
{
    switch (id) {
    case kBookFolderButton:
        chooseFolder(bookFolder_);
        return true;
    case kVoiceFolderButton:
        chooseFolder(voiceFolder_);
        return true;
    case kColorPicker:
        applyColor();
        return true;
    default:
        return false;
    }
}

void CPropSub0::chooseFolder(QLineEdit* edit)
{
    if (!target_.ui)
        return;
    const QString picked = target_.ui->folder(this, QStringLiteral("请选择路径:"), edit->text());
    if (!picked.isEmpty())
        edit->setText(settings::withTrailingSlash(picked));
}

void CPropSub0::applyColor()
{
    // The picker also reports the colour it was filled with; only a change acts.
    const QColor c = picker_->color();
    if (!c.isValid() || c == target_.background)
        return;
    target_.background = c;
    if (target_.setBackground)
        target_.setBackground(c);
}

void CPropSub0::applyFontSize(int index)
{
    if (index < 0 || index > 2 || index == target_.fontType)
        return;
    target_.fontType = index;
    if (target_.setFontType)
        target_.setFontType(index);
}

QString CPropSub0::bookFolderText() const { return bookFolder_->text(); }
QString CPropSub0::voiceFolderText() const { return voiceFolder_->text(); }
bool CPropSub0::forbidWinStick() const { return forbid_->isChecked(); }
double CPropSub0::desiredRetention() const { return retention_->value(); }

} // namespace lex
