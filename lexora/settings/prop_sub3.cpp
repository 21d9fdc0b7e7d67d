#include "lexora/settings/prop_sub3.h"

#include "common/config/profile.h"
#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/stardict.h"
#include "common/platform/env.h"
#include "common/ui/template_builder.h"
#include "lexora/settings/settings_target.h"
#include "resources/resources.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>

namespace lex {

namespace {
constexpr int kPathRole = Qt::UserRole;
} // namespace

CPropSub3::CPropSub3(SettingsTarget& target, QWidget* parent) : QWidget(parent), target_(target)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PROPSUB3));
    builder.routeTo(this);
    const QHash<int, QWidget*> c = builder.build(this);
    resize(builder.clientSize(font()));
    list_ = qobject_cast<QListWidget*>(c.value(kDictionaries));
    up_ = qobject_cast<QPushButton*>(c.value(kMoveUp));
    down_ = qobject_cast<QPushButton*>(c.value(kMoveDown));
    place_ = qobject_cast<QLabel*>(c.value(kPlace));
    note_ = qobject_cast<QLabel*>(c.value(kNote));
    phonetics_ = qobject_cast<QCheckBox*>(c.value(kPhonetics));
    senses_ = qobject_cast<QCheckBox*>(c.value(kSenses));
    definition_ = qobject_cast<QCheckBox*>(c.value(kDefinition));
    tipExample_ = qobject_cast<QCheckBox*>(c.value(kTipExample));
    phonetics_->setToolTip(QStringLiteral("在词条下显示英音和美音的国际音标"));
    senses_->setToolTip(QStringLiteral("在词条下显示 WordNet 的词义、例句和同义词"));
    definition_->setToolTip(QStringLiteral("显示词条自带的英文释义"));
    tipExample_->setToolTip(QStringLiteral("Lexora 单词列表的提示里加一句 WordNet 例句"));
    place_->setTextFormat(Qt::PlainText);
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    // The list keeps the focus while an item is moved with the keys.
    for (QPushButton* b : {up_, down_})
        b->setAutoDefault(false);
    auto key = [this](QKeyCombination k, int by) {
        auto* s = new QShortcut(QKeySequence(k), list_, nullptr, nullptr, Qt::WidgetShortcut);
        connect(s, &QShortcut::activated, this, [this, by] { move(by); });
    };
    key(Qt::CTRL | Qt::Key_Up, -1);
    key(Qt::CTRL | Qt::Key_Down, 1);
    connect(list_, &QListWidget::currentRowChanged, this, &CPropSub3::currentChanged);
    connect(list_, &QListWidget::itemChanged, this, &CPropSub3::showState);
}

// A dictionary switched off is greyed, so the list reads at a glance.
void CPropSub3::showState(QListWidgetItem* item)
{
    const QSignalBlocker b(list_);
    item->setForeground(item->checkState() == Qt::Checked ? palette().text() : palette().placeholderText());
}

QString CPropSub3::itemText(const QString& name, qint64 wordCount)
{
    return QStringLiteral("%1  (%2 词)").arg(name, QLocale(QLocale::Chinese, QLocale::China).toString(wordCount));
}

void CPropSub3::fill()
{
    const QSignalBlocker b(list_);
    list_->clear();
    const QStringList folders = target_.starDictFolders ? *target_.starDictFolders : starDictFolders(target_.programFolder);
    filled_ = target_.profile ? starDictChoices(*target_.profile, target_.programFolder, folders)
                              : arrangeStarDicts(findStarDictFiles(folders), {});
    Env* env = orDefault(target_.env);
    for (const StarDictChoice& choice : filled_) {
        // Only the .ifo is read: the name and count it states are what the learner chooses by.
        QByteArray bytes;
        StarDictInfo info;
        const Status s = env->readFile(choice.ifoPath, &bytes);
        const Status parsed = s ? parseStarDictIfo(bytes, &info) : s;
        auto* item = new QListWidgetItem(
            parsed ? itemText(info.bookname, info.wordcount)
                   : QStringLiteral("%1  (无法读取)").arg(QFileInfo(choice.ifoPath).completeBaseName()),
            list_);
        item->setData(kPathRole, choice.ifoPath);
        item->setToolTip(parsed ? choice.ifoPath : choice.ifoPath + QLatin1Char('\n') + parsed.message());
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        item->setCheckState(choice.enabled ? Qt::Checked : Qt::Unchecked);
        showState(item);
    }
    note_->setText(filled_.empty()
                       ? QStringLiteral("没有找到 StarDict 词典。请把词典放进 Dict 的子文件夹、\n"
                                        "~/.local/share/stardict/dic 或 /usr/share/stardict/dic。")
                       : QStringLiteral("空格键勾选，Ctrl+↑/↓ 移动。改动在 Glosix 下次启动时生效。"));
    list_->setCurrentRow(filled_.empty() ? -1 : 0);
    currentChanged();

    englishFilled_ = target_.profile ? readEnglishSettings(*target_.profile) : EnglishSettings{};
    phonetics_->setChecked(englishFilled_.phonetics);
    senses_->setChecked(englishFilled_.senses);
    definition_->setChecked(englishFilled_.definition);
    tipExample_->setChecked(englishFilled_.tipExample);
}

EnglishSettings CPropSub3::english() const
{
    EnglishSettings s = englishFilled_;
    s.phonetics = phonetics_->isChecked();
    s.senses = senses_->isChecked();
    s.definition = definition_->isChecked();
    s.tipExample = tipExample_->isChecked();
    return s;
}

bool CPropSub3::onCommand(int id, qintptr)
{
    switch (id) {
    case kMoveUp:
        move(-1);
        return true;
    case kMoveDown:
        move(1);
        return true;
    default:
        return false;
    }
}

void CPropSub3::move(int by)
{
    const int from = list_->currentRow();
    const int to = from + by;
    if (from < 0 || to < 0 || to >= list_->count())
        return;
    QListWidgetItem* item = list_->takeItem(from);
    list_->insertItem(to, item);
    list_->setCurrentRow(to);
    list_->setFocus();
}

void CPropSub3::currentChanged()
{
    const int row = list_->currentRow();
    up_->setEnabled(row > 0);
    down_->setEnabled(row >= 0 && row < list_->count() - 1);
    QString where = row >= 0 ? list_->item(row)->data(kPathRole).toString() : QString();
    const QString home = QDir::homePath() + QLatin1Char('/');
    if (where.startsWith(home))
        where = QStringLiteral("~/") + where.mid(home.size());
    // A long path keeps both ends in view: the folder it lies in and the file.
    const QString text = where.isEmpty() ? QString() : QStringLiteral("位置: ") + where;
    place_->setText(place_->fontMetrics().elidedText(text, Qt::ElideMiddle, place_->width()));
    place_->setToolTip(text);
}

std::vector<StarDictChoice> CPropSub3::choices() const
{
    std::vector<StarDictChoice> out;
    for (int i = 0; i < list_->count(); ++i) {
        const QListWidgetItem* item = list_->item(i);
        out.push_back({item->data(kPathRole).toString(), item->checkState() == Qt::Checked});
    }
    return out;
}

bool CPropSub3::save()
{
    if (!target_.profile)
        return true;
    if (const EnglishSettings english = this->english(); !(english == englishFilled_)) {
        if (!writeEnglishSwitches(*target_.profile, english))
            return false;
        englishFilled_ = english;
    }
    const std::vector<StarDictChoice> now = choices();
    if (now == filled_)
        return true;
    if (!writeStarDictOrder(*target_.profile, target_.programFolder, now))
        return false;
    filled_ = now;
    return true;
}

} // namespace lex
