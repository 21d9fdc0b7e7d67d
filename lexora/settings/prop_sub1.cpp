#include "lexora/settings/prop_sub1.h"

#include "common/config/profile.h"
#include "common/dictionary/us_phonetics.h"
#include "common/speech/speech_output.h"
#include "common/speech/synth_engine.h"
#include "common/speech/tts_engine.h"
#include "common/ui/template_builder.h"
#include "lexora/settings/settings_target.h"
#include "resources/resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

namespace lex {

CPropSub1::CPropSub1(SettingsTarget& target, QWidget* parent) : QWidget(parent), target_(target)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_PROPSUB1));
    builder.routeTo(this);
    const QHash<int, QWidget*> c = builder.build(this);
    resize(builder.clientSize(font()));
    testText_ = qobject_cast<QLineEdit*>(c.value(kTestText));
    male_ = qobject_cast<QComboBox*>(c.value(kMaleVoice));
    female_ = qobject_cast<QComboBox*>(c.value(kFemaleVoice));
    volume_ = qobject_cast<QSlider*>(c.value(kVolume));
    rate_ = qobject_cast<QSlider*>(c.value(kRate));
    disable_ = qobject_cast<QCheckBox*>(c.value(kDisableTts));
    accent_ = qobject_cast<QComboBox*>(c.value(kAccent));
    for (QSlider* s : {volume_, rate_}) {
        s->setTickPosition(QSlider::TicksBelow);
        s->setPageStep(1);
    }
    // Only the learner's choice acts: filling is done with the signals blocked.
    connect(male_, &QComboBox::currentIndexChanged, this, &CPropSub1::voiceChanged);
    connect(accent_, &QComboBox::currentIndexChanged, this, &CPropSub1::accentChanged);
}

void CPropSub1::fill()
{
    const QSignalBlocker b1(male_), b2(female_), b3(volume_), b4(rate_), b5(disable_), b6(accent_);
    SpeechOutput* speech = target_.speech;
    disable_->setChecked(speech && speech->ttsDisabled());
    accent_->clear();
    accent_->addItem(QStringLiteral("英音"), accentSetting(Accent::UK));
    accent_->addItem(QStringLiteral("美音"), accentSetting(Accent::US));
    const QString stored = target_.profile
        ? target_.profile->readString(QString::fromLatin1(kAccentSection), QString::fromLatin1(kAccentKey), {}, 16)
        : QString();
    accent_->setCurrentIndex(accentFromSetting(stored) == Accent::US ? 1 : 0);
    testText_->setText(QStringLiteral("Welcome to use Tessaly."));
    if (!speech || !speech->engine())
        return;

    fillVoices(male_);
    if (male_->count() > 0) {
        const int found = male_->findData(speech->currentVoice());
        male_->setCurrentIndex(found);
        if (found >= 0)
            voiceChanged(found);
        fillVoices(female_);
    }
    for (QSlider* s : {volume_, rate_})
        s->setRange(0, 10);
    volume_->setValue(settings::volumeToPosition(speech->volume()));
    rate_->setValue(settings::rateToPosition(speech->rate()));
}

void CPropSub1::fillVoices(QComboBox* box)
{
    box->clear();
    for (const VoiceToken& t : target_.speech->engine()->voices()) {
        QString text = t.description.isEmpty() ? voiceTokenName(t.id) : t.description;
        if (t.accent == accentSetting(Accent::UK))
            text += QStringLiteral(" (英音)");
        else if (t.accent == accentSetting(Accent::US))
            text += QStringLiteral(" (美音)");
        box->addItem(text, t.id);
    }
    box->setCurrentIndex(box->count() > 0 ? 0 : -1);
}

void CPropSub1::voiceChanged(int index)
{
    SpeechOutput* speech = target_.speech;
    if (!speech || !speech->engine() || index < 0)
        return;
    const QString token = male_->itemData(index).toString();
    // A voice that cannot be set leaves the previous one and the remembered name.
    if (!speech->setVoice(token))
        return;
    rememberVoice(token);
}

void CPropSub1::rememberVoice(const QString& token)
{
    voiceName_ = voiceTokenName(token);
    voiceEngine_ = tokenEngineName(token);
    voiceKnown_ = true;
}

void CPropSub1::accentChanged()
{
    // The next word is spoken in the accent chosen, without a restart: a voice of it is taken now
    // (the current one when it speaks the accent already) and shown in the list.
    SpeechOutput* speech = target_.speech;
    if (!speech || !speech->engine())
        return;
    const QString token = speech->setAccentVoice(accent());
    if (token.isEmpty())
        return;
    {
        const QSignalBlocker block(male_);
        male_->setCurrentIndex(male_->findData(token));
    }
    rememberVoice(token);
}

QString CPropSub1::accent() const { return accent_->currentData().toString(); }

bool CPropSub1::onCommand(int id, qintptr)
{
    if (id != kTest)
        return false;
    test();
    return true;
}

void CPropSub1::test()
{
    SpeechOutput* speech = target_.speech;
    TtsEngine* engine = speech ? speech->engine() : nullptr;
    if (!engine)
        return;
    // The engine only: the stored volume and rate change with "关闭保存".
    engine->setRate(settings::positionToRate(rate_->value()));
    engine->setVolume(settings::positionToVolume(volume_->value()));
    speech->SpeakWord(testText_->text(), true);
}

int CPropSub1::volumePosition() const { return volume_->value(); }
int CPropSub1::ratePosition() const { return rate_->value(); }
bool CPropSub1::disableTts() const { return disable_->isChecked(); }

} // namespace lex
