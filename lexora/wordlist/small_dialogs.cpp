#include "lexora/wordlist/small_dialogs.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "lexora/book/word_entry.h"
#include "resources/resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace lex {

// ---- class names ---------------------------------------------------------------------------

QStringList readClassNames(const Profile& profile)
{
    QStringList names;
    for (int n = 1; n <= config::kMaxClassNames; ++n) {
        const QString v = profile.readString(config::kInit, config::classNameKey(n), {},
                                             CMyNameClass::kMaxNameLength + 1);
        if (!v.isEmpty())
            names << v;
    }
    return names;
}

void writeClassNames(Profile& profile, const QStringList& names)
{
    for (int n = 1; n <= config::kMaxClassNames; ++n) {
        const QString key = config::classNameKey(n);
        if (n <= names.size())
            profile.writeString(config::kInit, key, names[n - 1]);
        else if (!profile.readString(config::kInit, key).isEmpty())
            profile.writeString(config::kInit, key, QString());
    }
}

CMyNameClass::CMyNameClass(Profile* profile, QWidget* parent) : ui::TemplateDialog(parent), profile_(profile)
{
    buildFrom(res::dialogTemplate(res::IDD_NAMECLASS));
    combo_ = item<QComboBox>(kName);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->lineEdit()->setMaxLength(kMaxNameLength);
    if (profile_) {
        const QSignalBlocker block(combo_);
        combo_->addItems(readClassNames(*profile_));
    }
    combo_->setCurrentIndex(-1);
    combo_->setEditText(QString());
    combo_->setFocus();
}

QStringList CMyNameClass::items() const
{
    QStringList out;
    for (int i = 0; i < combo_->count(); ++i)
        out << combo_->itemText(i);
    return out;
}

bool CMyNameClass::onCommand(int id, qintptr param)
{
    if (id == kDeleteName) {
        deleteName();
        return true;
    }
    if (id == ui::IDOK) {
        // A field selector would split the entry's text record at the next load.
        const QString text = withoutFieldSelectors(combo_->currentText()).left(kMaxNameLength);
        if (!text.isEmpty()) {
            bool known = false;
            for (const QString& name : items())
                known = known || name.startsWith(text, Qt::CaseInsensitive);
            // Nine names are read back; a tenth would be written and never seen again.
            if (!known && combo_->count() < config::kMaxClassNames)
                combo_->addItem(text);
            if (profile_)
                writeClassNames(*profile_, items());
        }
        result_ = text;
        endDialog(QDialog::Accepted);
        return true;
    }
    return ui::TemplateDialog::onCommand(id, param);
}

void CMyNameClass::deleteName()
{
    int index = combo_->currentIndex();
    const QString text = combo_->currentText();
    // The edit field may hold typed text while an item is still current: the item counts only
    // when it is what the field shows.
    if (index >= 0 && combo_->itemText(index) != text)
        index = -1;
    if (index < 0) {
        if (text.isEmpty())
            return;
        for (int i = 0; i < combo_->count() && index < 0; ++i)
            if (combo_->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
                index = i;
        if (index < 0) {
            combo_->setEditText(QString());
            return;
        }
    }
    combo_->removeItem(index);
    if (combo_->count() > 0)
        combo_->setCurrentIndex(std::min(index, combo_->count() - 1));
    else
        combo_->setEditText(QString());
}

// ---- strangeness filter --------------------------------------------------------------------

CMySelFilter::CMySelFilter(QWidget* parent) : ui::TemplateDialog(parent)
{
    buildFrom(res::dialogTemplate(res::IDD_SELFILTER));
    item<QComboBox>(kRelation)->setCurrentIndex(Equal);
    item<QComboBox>(kValue)->setCurrentIndex(0);
}

int CMySelFilter::relation() const { return item<QComboBox>(kRelation)->currentIndex(); }

int CMySelFilter::value() const { return std::max(0, item<QComboBox>(kValue)->currentIndex()); }

bool CMySelFilter::keeps(int t) const
{
    switch (relation()) {
    case Less: return t < value();
    case Greater: return t > value();
    default: return t == value();
    }
}

// ---- delete confirmation -------------------------------------------------------------------

CMyDeleteCheck::CMyDeleteCheck(const QString& text, QWidget* parent) : ui::TemplateDialog(parent)
{
    buildFrom(res::dialogTemplate(res::IDD_DELETECHECK), [this](ui::TemplateBuilder& b) {
        // The question is the template's one unnumbered static.
        b.withKind(ui::Kind::Static, [this](const ui::ControlSpec& spec, QWidget* parent) -> QWidget* {
            text_ = qobject_cast<QLabel*>(ui::TemplateBuilder::createDefault(spec, parent));
            return text_;
        });
    });
    if (text_) {
        text_->setTextFormat(Qt::PlainText);
        text_->setText(text);
    }
    // The box counts however the dialog ends, cancel included.
    connect(this, &QDialog::finished, this, [this] { dontAsk_ = item<QCheckBox>(kDontAsk)->isChecked(); });
}

QString CMyDeleteCheck::text() const { return text_ ? text_->text() : QString(); }

} // namespace lex
