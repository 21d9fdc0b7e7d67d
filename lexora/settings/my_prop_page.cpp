#include "lexora/settings/my_prop_page.h"

#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/dictionary/us_phonetics.h"
#include "common/platform/env.h"
#include "common/platform/user_services.h"
#include "common/speech/speech_output.h"
#include "common/ui/template_builder.h"
#include "lexora/settings/prop_sub0.h"
#include "lexora/settings/prop_sub1.h"
#include "lexora/settings/prop_sub2.h"
#include "lexora/settings/prop_sub3.h"
#include "lexora/settings/prop_sub4.h"
#include "resources/resources.h"

#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QStyle>

namespace lex {

namespace settings {

QString withTrailingSlash(const QString& folder)
{
    QString f = QDir::fromNativeSeparators(folder.trimmed());
    if (!f.isEmpty() && !f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

QString bookFolderProblem(Env* env, const QString& folder)
{
    if (orDefault(env)->isDir(folder))
        return {};
    return QStringLiteral("Book路径不存在，请重新设置:\n%1").arg(folder);
}

} // namespace settings

CMyPropPage::CMyPropPage(SettingsTarget target, QWidget* parent) : CommandDialog(parent), target_(std::move(target))
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PROPPAGE));
    builder.routeTo(this);
    const QHash<int, QWidget*> c = builder.build(this);
    setFixedSize(builder.clientSize(font()));
    list_ = qobject_cast<QListWidget*>(c.value(kPageList));
    frame_ = qobject_cast<QGroupBox*>(c.value(kPageFrame));

    // The pages stand inside the frame, below its caption, each keeping its own size.
    sub0_ = new CPropSub0(target_, this);
    sub1_ = new CPropSub1(target_, this);
    sub2_ = new CPropSub2(this);
    sub3_ = new CPropSub3(target_, this);
    sub4_ = new CPropSub4(target_, this);
    const QPoint origin = frame_->geometry().topLeft() + QPoint(6, frame_->fontMetrics().height() + 2);
    for (QWidget* p : {static_cast<QWidget*>(sub0_), static_cast<QWidget*>(sub1_), static_cast<QWidget*>(sub2_),
                       static_cast<QWidget*>(sub3_), static_cast<QWidget*>(sub4_)}) {
        p->move(origin);
        p->hide();
    }

    sub0_->fill(target_.speech ? target_.speech->voiceFolder() : QString());
    sub1_->fill();
    sub3_->fill();
    sub4_->fill();

    connect(list_, &QListWidget::currentRowChanged, this, &CMyPropPage::showPage);
    list_->setCurrentRow(1);
}

QWidget* CMyPropPage::page(int index) const
{
    switch (index) {
    case 0: return sub0_;
    case 1: return sub1_;
    case 2: return sub2_;
    case 3: return sub3_;
    case 4: return sub4_;
    default: return nullptr;
    }
}

void CMyPropPage::showPage(int index)
{
    if (index == shown_ || index < 0 || index >= kPageCount)
        return;
    for (int i = 0; i < kPageCount; ++i) {
        page(i)->setVisible(i == index);
        if (i == index)
            frame_->setTitle(list_->item(i)->text());
    }
    shown_ = index;
}

bool CMyPropPage::onCommand(int id, qintptr param)
{
    if (id == kCloseSave) {
        if (closeSave())
            accept();
        return true;
    }
    return CommandDialog::onCommand(id, param);
}

// "关闭保存": voice folder, Book folder, snapping, desired retention, DisableTTS, volume, rate and voice,
// then the StarDict choice, in that order. A Book folder that cannot be taken keeps the dialog open with nothing applied after it.
bool CMyPropPage::closeSave()
{
    const QString bookFolder = settings::withTrailingSlash(sub0_->bookFolderText());
    const bool bookChanges = !bookFolder.isEmpty() && bookFolder != target_.bookFolder;
    if (const QString problem = bookChanges ? settings::bookFolderProblem(target_.env, bookFolder) : QString();
        !problem.isEmpty()) {
        if (target_.ui)
            target_.ui->messageBox(this, problem);
        showPage(0);
        list_->setCurrentRow(0);
        return false;
    }

    SpeechOutput* speech = target_.speech;
    // An emptied voice folder would make every recorded file a path from the root: keep the old.
    const QString voiceFolder = settings::withTrailingSlash(sub0_->voiceFolderText());
    if (speech && !voiceFolder.isEmpty())
        speech->setVoiceFolder(voiceFolder);

    if (bookChanges) {
        if (!target_.changeBookFolder || !target_.changeBookFolder(bookFolder))
            return false;
        target_.bookFolder = bookFolder;
    }

    if (target_.setForbidWinStick)
        target_.setForbidWinStick(sub0_->forbidWinStick());
    // The model reads it wherever it plans, so the next plan already follows it.
    if (const double r = sub0_->desiredRetention(); r != target_.retention) {
        target_.retention = r;
        writeDesiredRetention(target_.profile, r);
    }
    if (speech) {
        speech->setTtsDisabled(sub1_->disableTts());
        if (speech->engine()) {
            speech->setVolume(settings::positionToVolume(sub1_->volumePosition()));
            speech->setRate(settings::positionToRate(sub1_->ratePosition()));
            // Also when no voice is selected (none installed, or the stored one gone): the empty
            // name then selects the engine's default voice at the next start.
            // The voice key keeps naming a voice of its own category (espeak-ng's); the learner's
            // choice among every engine's voices goes beside it.
            if (target_.profile) {
                const QString engine = sub1_->voiceEngine();
                const bool keyVoice = engine.isEmpty() || engine == u"espeak";
                if (keyVoice)
                    target_.profile->writeString(QStringLiteral("TTSVoice"), QStringLiteral("TTSEngineMale"),
                                                 sub1_->voiceName());
                if (sub1_->voiceKnown()) {
                    target_.profile->writeString(QString::fromLatin1(kAccentSection), QStringLiteral("Engine"), engine);
                    target_.profile->writeString(QString::fromLatin1(kAccentSection), QStringLiteral("Voice"),
                                                 engine.isEmpty() ? QString() : sub1_->voiceName());
                }
            }
        }
    }
    if (target_.profile)
        target_.profile->writeString(QString::fromLatin1(kAccentSection), QString::fromLatin1(kAccentKey), sub1_->accent());
    // Like every key of Config.INI, a write that fails is not reported.
    sub3_->save();
    sub4_->save();
    return true;
}

} // namespace lex
