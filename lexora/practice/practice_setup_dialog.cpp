#include "lexora/practice/practice_setup_dialog.h"

#include "common/ui/template_builder.h"
#include "lexora/practice/practice_setup.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace lex {

using namespace res::setup_dlg;

CMyMemSet::CMyMemSet(PracticeMode mode, int wordCount, QWidget* parent, int minWords) : ui::CommandDialog(parent)
{
    settings_.mode = mode;
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PRACTICE_SETUP));
    builder.routeTo(this).build(this);
    setFixedSize(builder.clientSize(font()));

    const PracticeSetup s = practiceSetupFor(mode, wordCount, minWords);
    setWindowTitle(texts::practiceSetupTitle(mode));
    ui::control<QLineEdit>(this, kWordCount)->setText(QString::number(wordCount));

    auto* loops = ui::control<QComboBox>(this, kLoops);
    const QSignalBlocker block(loops);
    loops->clear();
    loops->addItems(s.loopItems);
    loops->setCurrentText(s.loopSelected);

    auto* enToZh = ui::control<QAbstractButton>(this, kEnToZh);
    auto* zhToEn = ui::control<QAbstractButton>(this, kZhToEn);
    enToZh->setEnabled(s.directionEnabled);
    zhToEn->setEnabled(s.directionEnabled);
    if (s.directionEnabled)
        enToZh->setChecked(true);

    ui::control<QPlainTextEdit>(this, kExplanation)->setPlainText(texts::practiceSetupExplanation(mode, s.startEnabled));
    ui::control<QAbstractButton>(this, ui::IDOK)->setEnabled(s.startEnabled);
}

bool CMyMemSet::startEnabled() const
{
    return ui::control<QAbstractButton>(this, ui::IDOK)->isEnabled();
}

bool CMyMemSet::onCommand(int id, qintptr param)
{
    if (id == ui::IDOK) {
        // Enter reaches here even while 开始 is disabled.
        if (!startEnabled())
            return true;
        settings_.loopCount = ui::control<QComboBox>(this, kLoops)->currentText().toInt();
        settings_.direction = ui::control<QAbstractButton>(this, kZhToEn)->isChecked() ? Direction::ZhToEn : Direction::EnToZh;
    }
    return ui::CommandDialog::onCommand(id, param);
}

} // namespace lex
