#include "lexora/settings/prop_sub4.h"

#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "lexora/settings/settings_target.h"
#include "resources/resources.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

namespace lex {

CPropSub4::CPropSub4(SettingsTarget& target, QWidget* parent) : QWidget(parent), target_(target)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PROPSUB4));
    builder.routeTo(this);
    const QHash<int, QWidget*> c = builder.build(this);
    resize(builder.clientSize(font()));
    folder_ = qobject_cast<QLineEdit*>(c.value(kFolder));
    device_ = qobject_cast<QLineEdit*>(c.value(kDevice));
    machines_ = qobject_cast<QListWidget*>(c.value(kMachines));
    note_ = qobject_cast<QLabel*>(c.value(kNote));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
}

void CPropSub4::fill()
{
    folder_->setText(target_.syncFolder);
    device_->setText(target_.syncDevice);
    device_->setPlaceholderText(target_.syncDefaultDevice);
    machines_->clear();
    std::vector<std::pair<QString, qint64>> seen;
    for (auto it = target_.syncSeen.begin(); it != target_.syncSeen.end(); ++it)
        seen.emplace_back(it.key(), it.value());
    std::sort(seen.begin(), seen.end());
    const QString self = target_.syncDevice.isEmpty() ? target_.syncDefaultDevice : target_.syncDevice;
    for (const auto& [name, ms] : seen)
        if (name != self)
            machines_->addItem(QStringLiteral("%1  %2").arg(
                name, QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    note_->setText(QStringLiteral("每台电脑只写自己的文件，打开、保存和文件夹变化时合并其他电脑的更改。"
                                  "单词本和学习记录不放进同步文件夹。不填写时不同步。"));
}

bool CPropSub4::onCommand(int id, qintptr)
{
    if (id != kFolderButton)
        return false;
    if (target_.ui) {
        const QString picked = target_.ui->folder(this, QStringLiteral("请选择同步文件夹:"), folder_->text());
        if (!picked.isEmpty())
            folder_->setText(settings::withTrailingSlash(picked));
    }
    return true;
}

QString CPropSub4::folderText() const
{
    return settings::withTrailingSlash(folder_->text().trimmed());
}

QString CPropSub4::deviceText() const
{
    return device_->text().trimmed();
}

bool CPropSub4::save()
{
    if (folderText() == settings::withTrailingSlash(target_.syncFolder) && deviceText() == target_.syncDevice)
        return true;
    if (!target_.setSync)
        return false;
    target_.setSync(folderText(), deviceText());
    target_.syncFolder = folderText();
    target_.syncDevice = deviceText();
    return true;
}

} // namespace lex
