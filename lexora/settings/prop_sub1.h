#pragma once
// CPropSub1: the settings page "TTS合成音" (template 105): the installed voices with the current
// one selected (a choice acts at once; every engine's voices, each with its accent), volume and
// rate sliders, the test sentence, DisableTTS, and the accent (英音 / 美音) the phonetics and the
// voice follow (choosing it takes a voice of that accent at once).

#include "common/ui/command.h"
#include "resources/resource_ids.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace lex {

struct SettingsTarget;

class CPropSub1 final : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kTestText = res::prop_sub1::kTestText, kMaleVoice = res::prop_sub1::kMaleVoice,
                         kFemaleVoice = res::prop_sub1::kFemaleVoice, kVolume = res::prop_sub1::kVolume,
                         kRate = res::prop_sub1::kRate, kTest = res::prop_sub1::kTest,
                         kDisableTts = res::prop_sub1::kDisableTts, kAccent = res::prop_sub1::kAccent;

    CPropSub1(SettingsTarget& target, QWidget* parent = nullptr);

    // Fills the page; the voice list, sliders and test only when there is a voice object. No
    // control acts while it is filled.
    void fill();

    bool onCommand(int id, qintptr param) override;

    // The voice name to store (the last component of the token id) and whether there is one to
    // store: the learner chose a voice or the current voice was found in the list.
    const QString& voiceName() const { return voiceName_; }
    bool voiceKnown() const { return voiceKnown_; }
    // The engine of the chosen voice as [SPEECH2] Engine names it; empty for a voice of the
    // voice key's own category.
    const QString& voiceEngine() const { return voiceEngine_; }
    // "UK" or "US", as [SPEECH2] Accent stores it.
    QString accent() const;

    int volumePosition() const;
    int ratePosition() const;
    bool disableTts() const;

private:
    void fillVoices(QComboBox* box);
    void voiceChanged(int index);
    void accentChanged();
    void rememberVoice(const QString& token);
    void test();

    SettingsTarget& target_;
    QLineEdit* testText_ = nullptr;
    QComboBox* male_ = nullptr;
    QComboBox* female_ = nullptr;
    QSlider* volume_ = nullptr;
    QSlider* rate_ = nullptr;
    QCheckBox* disable_ = nullptr;
    QComboBox* accent_ = nullptr;
    QString voiceName_;
    QString voiceEngine_;
    bool voiceKnown_ = false;
};

} // namespace lex
