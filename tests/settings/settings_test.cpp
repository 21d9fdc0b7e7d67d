// The settings dialog on its own: the pages, what acts at once, what "关闭保存" applies, and what
// closing otherwise leaves alone. The speech engine records instead of speaking.
#include "mem_env.h"
#include "scripted_services.h"
#include "speech_fakes.h"
#include "stardict_files.h"
#include "temp_dir.h"

#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/controls/color_picker.h"
#include "common/speech/speech_output.h"
#include "common/ui/template_builder.h"
#include "lexora/settings/my_prop_page.h"
#include "lexora/settings/prop_sub0.h"
#include "lexora/settings/prop_sub1.h"
#include "lexora/settings/prop_sub3.h"
#include "lexora/settings/prop_sub4.h"
#include "common/config/stardict_order.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace lex;
using lextest::FakeEngine;

namespace {

const QString kEn = QStringLiteral("test/voices/Tokens/en");
const QString kEnUs = QStringLiteral("test/voices/Tokens/en-US");

// A speech output initialised from a Config.INI with these lines, and a dialog target over it.
struct Fixture {
    lextest::TempDir dir;
    lextest::ScriptedServices ui;
    FakeEngine engine;
    std::unique_ptr<SpeechOutput> speech;
    std::unique_ptr<Profile> profile;
    QList<QColor> backgrounds;
    QList<int> fontTypes;
    QList<bool> forbids;
    QStringList bookChanges;
    bool bookChangeResult = true;

    explicit Fixture(const QString& ttsLines)
    {
        dir.write(QStringLiteral("Config.INI"),
                  (QStringLiteral("[INIT]\nVoicePath=%1/\n[TTSVOICE]\n").arg(dir.path()) + ttsLines).toUtf8());
        profile = std::make_unique<Profile>(dir.path(QStringLiteral("Config.INI")));
        speech = std::make_unique<SpeechOutput>(SpeechProgram::Main,
                                                SpeechDeps{&engine, nullptr, nullptr, &ui, nullptr, nullptr});
        speech->initialise(*profile, dir.path());
    }
    SettingsTarget target()
    {
        SettingsTarget t;
        t.ui = &ui;
        t.speech = speech.get();
        t.profile = profile.get();
        t.bookFolder = dir.path() + QLatin1Char('/');
        t.forbidWinStick = true;
        t.background = QColor(255, 255, 255);
        t.fontType = 0;
        t.setBackground = [this](const QColor& c) { backgrounds << c; };
        t.setFontType = [this](int f) { fontTypes << f; };
        t.setForbidWinStick = [this](bool on) { forbids << on; };
        t.changeBookFolder = [this](const QString& f) {
            bookChanges << f;
            return bookChangeResult;
        };
        return t;
    }
    QString storedVoice() const
    {
        return Profile(dir.path(QStringLiteral("Config.INI"))).readString(QStringLiteral("TTSVOICE"),
                                                                         QStringLiteral("TTSEngineMale"),
                                                                         QStringLiteral("<none>"));
    }
};

template <class T>
T* on(QWidget* page, int id)
{
    T* w = ui::control<T>(page, id);
    EXPECT_NE(w, nullptr) << id;
    return w;
}

void closeSave(CMyPropPage& d) { on<QPushButton>(&d, CMyPropPage::kCloseSave)->click(); }

} // namespace

TEST(SettingsDialog, OpensOnTheSpeechPageAndSwitchesPages)
{
    Fixture f(QStringLiteral("TTSEngineMale=en-US\n"));
    CMyPropPage d(f.target());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("属性页"));
    auto* frame = on<QGroupBox>(&d, CMyPropPage::kPageFrame);
    EXPECT_EQ(d.pageShown(), 1);
    EXPECT_EQ(frame->title(), QStringLiteral("TTS合成音"));
    EXPECT_TRUE(d.page(0)->isHidden());
    EXPECT_FALSE(d.page(1)->isHidden());
    QStringList items;
    for (int i = 0; i < d.pageList()->count(); ++i)
        items << d.pageList()->item(i)->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("常规"), QStringLiteral("TTS合成音"), QStringLiteral("快捷键"),
                                  QStringLiteral("词典"), QStringLiteral("同步")}));
    EXPECT_FALSE(on<QPushButton>(&d, CMyPropPage::kDefaultAll)->isEnabled());

    d.pageList()->setCurrentRow(2);
    EXPECT_EQ(frame->title(), QStringLiteral("快捷键"));
    EXPECT_TRUE(d.page(1)->isHidden());
    // Every control of the shortcut page is there and disabled.
    for (int id : {res::prop_sub2::kKeys, res::prop_sub2::kKey, res::prop_sub2::kModifier, res::prop_sub2::kUndoChanges,
                   res::prop_sub2::kDefault}) {
        QWidget* w = ui::findControl(d.page(2), id);
        ASSERT_NE(w, nullptr) << id;
        EXPECT_FALSE(w->isEnabled()) << id;
    }
    d.pageList()->setCurrentRow(0);
    EXPECT_EQ(frame->title(), QStringLiteral("常规"));
    EXPECT_FALSE(d.page(0)->isHidden());
    // Each page stands inside the frame.
    for (int i = 0; i < CMyPropPage::kPageCount; ++i)
        EXPECT_TRUE(frame->geometry().contains(d.page(i)->geometry().topLeft())) << i;
}

TEST(SettingsDialog, VoicesAreListedAndTheCurrentOneIsSelectedWithoutSwitching)
{
    Fixture f(QStringLiteral("TTSEngineMale=en-US\n"));
    f.engine.voicesSet.clear();
    CMyPropPage d(f.target());
    auto* male = on<QComboBox>(d.page(1), CPropSub1::kMaleVoice);
    auto* female = on<QComboBox>(d.page(1), CPropSub1::kFemaleVoice);
    ASSERT_EQ(male->count(), 2);
    EXPECT_EQ(male->itemText(0), kEn);   // the fake's descriptions are its identifiers
    EXPECT_EQ(male->currentIndex(), 1);
    EXPECT_EQ(female->count(), 2);
    EXPECT_FALSE(female->isEnabled());
    // Filling did not switch the voice to the first item on the way.
    for (const auto& v : f.engine.voicesSet)
        EXPECT_EQ(v, std::optional<QString>(kEnUs));
    EXPECT_EQ(d.speechPage()->voiceName(), QStringLiteral("en-US"));

    // A choice acts at once and is what "关闭保存" stores.
    male->setCurrentIndex(0);
    EXPECT_EQ(f.engine.voicesSet.back(), std::optional<QString>(kEn));
    EXPECT_EQ(f.speech->currentVoice(), kEn);
    closeSave(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(f.storedVoice(), QStringLiteral("en"));
}

// The accent (英音 / 美音) and a voice of every engine: the list says each voice's accent, and
// "关闭保存" keeps the voice key for its own category's voices and the learner's engine and voice
// in [SPEECH2] beside it. Choosing the accent takes a voice of it at once, unless the current one
// speaks it already.
TEST(SettingsDialog, AccentAndEveryEnginesVoicesAreChosenAndStored)
{
    const struct {
        const char* stored;       // [SPEECH2] lines
        int accentShown;
        int accentChosen;         // index chosen, -1: none
        const char* voiceAfterAccent;
        const char* voiceChosen;  // token chosen, empty: none
        const char* accentSaved, *keySaved, *engineSaved, *voiceSaved;
    } rows[] = {
        {"", 0, -1, "test/voices/Tokens/en-US", "", "UK", "en-US", "", ""},
        {"Accent=US\n", 1, -1, "test/voices/Tokens/en-US", "", "US", "en-US", "", ""},   // the key names a voice: it stays
        // 英音 chosen over an American voice: the British one, at once, and kept.
        {"Accent=us\n", 1, 0, "espeak-ng/voices/Tokens/en-GB-x-rp", "", "UK", "en-GB-x-rp", "espeak", "en-GB-x-rp"},
        {"", 0, 1, "test/voices/Tokens/en-US", "test/voices/Tokens/en", "US", "en", "", ""},
        {"", 0, -1, "test/voices/Tokens/en-US", "espeak-ng/voices/Tokens/en-GB-x-rp", "UK", "en-GB-x-rp", "espeak", "en-GB-x-rp"},
#ifdef LEXORA_HAVE_FLITE
        {"Engine=espeak\nVoice=en\n", 0, 1, "test/voices/Tokens/en-US", "flite/voices/Tokens/slt", "US", "en-US", "flite", "slt"},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.stored) + " -> " + row.voiceChosen);
        Fixture f(QStringLiteral("TTSEngineMale=en-US\n[SPEECH2]\n") + QLatin1String(row.stored));
        f.engine.known << QStringLiteral("espeak-ng/voices/Tokens/en-GB-x-rp") << QStringLiteral("flite/voices/Tokens/slt");
        f.engine.accents.insert(kEnUs, QStringLiteral("US"));
        f.engine.accents.insert(QStringLiteral("espeak-ng/voices/Tokens/en-GB-x-rp"), QStringLiteral("UK"));
        f.engine.accents.insert(QStringLiteral("flite/voices/Tokens/slt"), QStringLiteral("US"));
        f.engine.voicesSet.clear();
        CMyPropPage d(f.target());
        auto* accent = on<QComboBox>(d.page(1), CPropSub1::kAccent);
        auto* male = on<QComboBox>(d.page(1), CPropSub1::kMaleVoice);
        ASSERT_EQ(accent->count(), 2);
        EXPECT_EQ(accent->itemText(0), QStringLiteral("英音"));
        EXPECT_EQ(accent->itemText(1), QStringLiteral("美音"));
        EXPECT_EQ(accent->currentIndex(), row.accentShown);
        ASSERT_EQ(male->count(), 4);
        EXPECT_EQ(male->itemText(0), kEn);   // no accent known: the description alone
        EXPECT_EQ(male->itemText(1), kEnUs + QStringLiteral(" (美音)"));
        EXPECT_EQ(male->itemText(2), QStringLiteral("espeak-ng/voices/Tokens/en-GB-x-rp (英音)"));
        EXPECT_EQ(male->currentIndex(), 1);
        for (const auto& v : f.engine.voicesSet)
            EXPECT_EQ(v, std::optional<QString>(kEnUs)) << "filling the page switched the voice";
        if (row.accentChosen >= 0)
            accent->setCurrentIndex(row.accentChosen);
        EXPECT_EQ(f.speech->currentVoice(), QLatin1String(row.voiceAfterAccent));
        EXPECT_EQ(male->currentData().toString(), QLatin1String(row.voiceAfterAccent));
        if (row.accentChosen >= 0) {   // the next word is heard in that voice
            f.speech->SpeakWord(QStringLiteral("tomato"), true);
            EXPECT_EQ(f.engine.voicesSet.back(), std::optional<QString>(QLatin1String(row.voiceAfterAccent)));
        }
        if (*row.voiceChosen) {
            male->setCurrentIndex(male->findData(QLatin1String(row.voiceChosen)));
            EXPECT_EQ(f.speech->currentVoice(), QLatin1String(row.voiceChosen));
        }
        closeSave(d);
        const Profile saved(f.dir.path(QStringLiteral("Config.INI")));
        auto read = [&](const char* section, const char* key) {
            return saved.readString(QLatin1String(section), QLatin1String(key), QStringLiteral("<none>"));
        };
        EXPECT_EQ(read("SPEECH2", "Accent"), QLatin1String(row.accentSaved));
        EXPECT_EQ(read("TTSVOICE", "TTSEngineMale"), QLatin1String(row.keySaved));
        EXPECT_EQ(read("SPEECH2", "Engine"), QLatin1String(row.engineSaved));
        EXPECT_EQ(read("SPEECH2", "Voice"), QLatin1String(row.voiceSaved));
    }
}

TEST(SettingsDialog, ARefusedVoiceKeepsThePreviousOne)
{
    Fixture f(QStringLiteral("TTSEngineMale=en-US\n"));
    CMyPropPage d(f.target());
    f.engine.canSetVoice = false;
    on<QComboBox>(d.page(1), CPropSub1::kMaleVoice)->setCurrentIndex(0);
    EXPECT_EQ(f.speech->currentVoice(), kEnUs);
    EXPECT_EQ(d.speechPage()->voiceName(), QStringLiteral("en-US"));
}

TEST(SettingsDialog, WithoutASelectedVoiceSaveWritesAnEmptyName)
{
    // The stored voice is no longer installed, or no voice is installed at all: nothing is
    // selected, and "关闭保存" writes an empty name (the default voice at the next start).
    for (const QStringList& installed : {QStringList{QStringLiteral("test/voices/Tokens/de")}, QStringList{}}) {
        Fixture f(QStringLiteral("TTSEngineMale=en-US\n"));
        f.engine.known = installed;
        CMyPropPage d(f.target());
        EXPECT_EQ(on<QComboBox>(d.page(1), CPropSub1::kMaleVoice)->currentIndex(), -1);
        EXPECT_FALSE(d.speechPage()->voiceKnown());
        closeSave(d);
        EXPECT_EQ(f.storedVoice(), QString()) << installed.size();
    }
}

TEST(SettingsDialog, SliderMappings)
{
    struct Case {
        int volume, rate, volumePos, ratePos, savedVolume, savedRate;
    };
    for (const Case& c : {Case{95, 3, 9, 6, 90, 2}, Case{100, -10, 10, 0, 100, -10}, Case{0, 10, 0, 10, 0, 10},
                          Case{9, -9, 0, 0, 0, -10}}) {
        Fixture f(QStringLiteral("TTSVolume=%1\nTTSRate=%2\n").arg(c.volume).arg(c.rate));
        CMyPropPage d(f.target());
        auto* volume = on<QSlider>(d.page(1), CPropSub1::kVolume);
        auto* rate = on<QSlider>(d.page(1), CPropSub1::kRate);
        EXPECT_EQ(volume->maximum(), 10);
        EXPECT_EQ(volume->value(), c.volumePos) << c.volume;
        EXPECT_EQ(rate->value(), c.ratePos) << c.rate;
        closeSave(d);
        EXPECT_EQ(f.speech->volume(), c.savedVolume) << c.volume;
        EXPECT_EQ(f.speech->rate(), c.savedRate) << c.rate;
        EXPECT_EQ(f.engine.volumes.back(), c.savedVolume);
        EXPECT_EQ(f.engine.rates.back(), c.savedRate);
    }
}

TEST(SettingsDialog, TestSpeaksWithTheSlidersOnTheEngineOnly)
{
    Fixture f(QStringLiteral("TTSVolume=50\nTTSRate=0\n"));
    CMyPropPage d(f.target());
    on<QSlider>(d.page(1), CPropSub1::kVolume)->setValue(8);
    on<QSlider>(d.page(1), CPropSub1::kRate)->setValue(9);
    on<QPushButton>(d.page(1), CPropSub1::kTest)->click();
    EXPECT_EQ(f.engine.spoken, QStringList{QStringLiteral("Welcome to use Tessaly.")});
    EXPECT_EQ(f.engine.volumes.back(), 80);
    EXPECT_EQ(f.engine.rates.back(), 8);
    EXPECT_EQ(f.speech->volume(), 50);
    EXPECT_EQ(f.speech->rate(), 0);
    // Closing without "关闭保存" keeps the stored values.
    d.reject();
    EXPECT_EQ(f.speech->volume(), 50);
}

TEST(SettingsDialog, DisableTtsStopsSynthesisOnSave)
{
    Fixture f(QString{});
    CMyPropPage d(f.target());
    auto* disable = on<QCheckBox>(d.page(1), CPropSub1::kDisableTts);
    EXPECT_FALSE(disable->isChecked());
    disable->setChecked(true);
    EXPECT_TRUE(f.speech->ttsReady());   // not before "关闭保存"
    closeSave(d);
    EXPECT_TRUE(f.speech->ttsDisabled());
    EXPECT_FALSE(f.speech->ttsReady());
}

TEST(SettingsDialog, WithoutAVoiceObjectTheSpeechPageIsInert)
{
    Fixture f(QString{});
    f.profile->writeString(QStringLiteral("INIT"), QStringLiteral("IsDisableTTS"), QStringLiteral("1"));
    f.speech = std::make_unique<SpeechOutput>(SpeechProgram::Main,
                                              SpeechDeps{&f.engine, nullptr, nullptr, &f.ui, nullptr, nullptr});
    f.speech->initialise(*f.profile, f.dir.path());
    f.engine.volumes.clear();
    CMyPropPage d(f.target());
    EXPECT_EQ(on<QComboBox>(d.page(1), CPropSub1::kMaleVoice)->count(), 0);
    EXPECT_TRUE(on<QCheckBox>(d.page(1), CPropSub1::kDisableTts)->isChecked());
    on<QPushButton>(d.page(1), CPropSub1::kTest)->click();
    EXPECT_TRUE(f.engine.spoken.isEmpty());
    closeSave(d);
    EXPECT_EQ(f.storedVoice(), QStringLiteral("<none>"));
    EXPECT_TRUE(f.engine.volumes.empty());
}

TEST(SettingsDialog, GeneralPageActsAtOnceAndOnSave)
{
    Fixture f(QString{});
    CMyPropPage d(f.target());
    QWidget* g = d.page(0);
    EXPECT_EQ(on<QLineEdit>(g, CPropSub0::kBookFolder)->text(), f.dir.path() + QLatin1Char('/'));
    EXPECT_EQ(on<QLineEdit>(g, CPropSub0::kVoiceFolder)->text(), f.dir.path() + QLatin1Char('/'));
    EXPECT_TRUE(on<QCheckBox>(g, CPropSub0::kForbidWinStick)->isChecked());
    EXPECT_EQ(on<QComboBox>(g, CPropSub0::kFontSize)->currentIndex(), 0);
    QCoreApplication::processEvents();   // the picker reports the colour it was given: no change
    EXPECT_TRUE(f.backgrounds.isEmpty());
    EXPECT_TRUE(f.fontTypes.isEmpty());
    for (int id : {res::prop_sub0::kUpperCaseWords, res::prop_sub0::kDefault, res::prop_sub0::kUndoChanges})
        EXPECT_FALSE(ui::findControl(g, id)->isEnabled()) << id;

    // Colour and font size act at once.
    on<CColorPicker>(g, CPropSub0::kColorPicker)->setColor(QColor(0x12, 0xAB, 0x0C));
    QCoreApplication::processEvents();
    EXPECT_EQ(f.backgrounds, QList<QColor>{QColor(0x12, 0xAB, 0x0C)});
    EXPECT_EQ(on<QLineEdit>(g, CPropSub0::kColorText)->text(), QStringLiteral("#12AB0C"));
    on<QComboBox>(g, CPropSub0::kFontSize)->setCurrentIndex(2);
    EXPECT_EQ(f.fontTypes, QList<int>{2});

    // The folder choosers: a trailing '/' added, cancelling changes nothing.
    const QString other = f.dir.path(QStringLiteral("voices"));
    f.ui.queueFolder(other);
    on<QPushButton>(g, CPropSub0::kVoiceFolderButton)->click();
    EXPECT_EQ(on<QLineEdit>(g, CPropSub0::kVoiceFolder)->text(), other + QLatin1Char('/'));
    f.ui.queueFolder(QString());
    on<QPushButton>(g, CPropSub0::kVoiceFolderButton)->click();
    EXPECT_EQ(on<QLineEdit>(g, CPropSub0::kVoiceFolder)->text(), other + QLatin1Char('/'));
    EXPECT_EQ(f.ui.shown().back().text, QStringLiteral("请选择路径:"));

    on<QCheckBox>(g, CPropSub0::kForbidWinStick)->setChecked(false);
    EXPECT_TRUE(f.forbids.isEmpty());   // only on "关闭保存"
    closeSave(d);
    EXPECT_EQ(f.forbids, QList<bool>{false});
    EXPECT_EQ(f.speech->voiceFolder(), other + QLatin1Char('/'));
    EXPECT_TRUE(f.bookChanges.isEmpty());   // the Book folder was left as it was
}

TEST(SettingsDialog, DesiredRetentionIsReadClampedAndSavedOnClose)
{
    // What Config.INI holds, what the page shows, what the learner sets, what 关闭保存 stores.
    struct Case {
        QString stored;   // REVIEW/DesiredRetention; empty: no such key
        double shown;
        double set;
        QString saved;    // the key afterwards; empty: still missing
    };
    const Case cases[] = {
        {{}, 0.90, 0.90, {}},                       // untouched: nothing written
        {QStringLiteral("0.85"), 0.85, 0.80, QStringLiteral("0.80")},
        {QStringLiteral("1.5"), 0.99, 0.50, QStringLiteral("0.70")},   // clamped both ways
        {QStringLiteral("abc"), 0.90, 0.97, QStringLiteral("0.97")},
    };
    for (const Case& c : cases) {
        Fixture f(QString{});
        if (!c.stored.isEmpty())
            f.profile->writeString(QStringLiteral("REVIEW"), QStringLiteral("DesiredRetention"), c.stored);
        SettingsTarget t = f.target();
        t.retention = readDesiredRetention(f.profile.get());
        CMyPropPage d(std::move(t));
        auto* box = on<QDoubleSpinBox>(d.page(0), CPropSub0::kDesiredRetention);
        EXPECT_DOUBLE_EQ(box->value(), c.shown) << c.stored.toStdString();
        box->setValue(c.set);
        closeSave(d);
        const Profile after(f.dir.path(QStringLiteral("Config.INI")));
        EXPECT_EQ(after.readString(QStringLiteral("REVIEW"), QStringLiteral("DesiredRetention")),
                  c.saved.isEmpty() ? c.stored : c.saved) << c.stored.toStdString();
    }
}

TEST(SettingsDialog, ClosingWithoutSaveKeepsOnlyWhatActed)
{
    Fixture f(QString{});
    CMyPropPage d(f.target());
    const QString before = f.speech->voiceFolder();
    on<QLineEdit>(d.page(0), CPropSub0::kVoiceFolder)->setText(QStringLiteral("/nowhere/"));
    on<QCheckBox>(d.page(0), CPropSub0::kForbidWinStick)->setChecked(false);
    on<QComboBox>(d.page(0), CPropSub0::kFontSize)->setCurrentIndex(1);
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(f.fontTypes, QList<int>{1});
    EXPECT_TRUE(f.forbids.isEmpty());
    EXPECT_EQ(f.speech->voiceFolder(), before);
}

TEST(SettingsDialog, BookFolderChangesAndRefusals)
{
    Fixture f(QString{});
    const QString current = f.dir.path() + QLatin1Char('/');
    QDir().mkpath(f.dir.path(QStringLiteral("other")));
    {
        // The same folder, or an empty field: no change.
        for (const QString& text : {current, QString(), f.dir.path()}) {
            CMyPropPage d(f.target());
            on<QLineEdit>(d.page(0), CPropSub0::kBookFolder)->setText(text);
            closeSave(d);
            EXPECT_EQ(d.result(), QDialog::Accepted);
        }
        EXPECT_TRUE(f.bookChanges.isEmpty());
    }
    {
        // A folder that does not exist is refused: a message, the dialog stays, nothing applied.
        f.forbids.clear();
        CMyPropPage d(f.target());
        on<QLineEdit>(d.page(0), CPropSub0::kBookFolder)->setText(f.dir.path(QStringLiteral("missing")));
        on<QCheckBox>(d.page(0), CPropSub0::kForbidWinStick)->setChecked(false);
        d.pageList()->setCurrentRow(1);
        closeSave(d);
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_TRUE(f.bookChanges.isEmpty());
        EXPECT_TRUE(f.forbids.isEmpty());
        ASSERT_EQ(f.ui.messages().size(), 1);
        EXPECT_TRUE(f.ui.messages()[0].contains(f.dir.path(QStringLiteral("missing")) + QLatin1Char('/')))
            << f.ui.messages()[0].toStdString();
        EXPECT_EQ(d.pageShown(), 0);   // back on the page with the field
    }
    {
        // The folder is looked for through the Env the dialog is given: one that has no folders
        // refuses a folder that is there on the disk.
        lextest::MemEnv noFolders;
        SettingsTarget t = f.target();
        t.env = &noFolders;
        CMyPropPage d(std::move(t));
        on<QLineEdit>(d.page(0), CPropSub0::kBookFolder)->setText(f.dir.path(QStringLiteral("other")));
        closeSave(d);
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_TRUE(f.bookChanges.isEmpty());
        ASSERT_EQ(f.ui.messages().size(), 2);
        EXPECT_EQ(f.ui.messages()[1],
                  QStringLiteral("Book路径不存在，请重新设置:\n") + f.dir.path(QStringLiteral("other")) + QLatin1Char('/'));
    }
    {
        // Another folder, trailing '/' added; a failed change keeps the dialog open.
        CMyPropPage d(f.target());
        on<QLineEdit>(d.page(0), CPropSub0::kBookFolder)->setText(f.dir.path(QStringLiteral("other")));
        f.bookChangeResult = false;
        closeSave(d);
        EXPECT_NE(d.result(), QDialog::Accepted);
        f.bookChangeResult = true;
        closeSave(d);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(f.bookChanges, QStringList(2, f.dir.path(QStringLiteral("other")) + QLatin1Char('/')));
    }
}

TEST(SettingsValues, TrailingSlash)
{
    EXPECT_EQ(settings::withTrailingSlash(QStringLiteral("/a/b")), QStringLiteral("/a/b/"));
    EXPECT_EQ(settings::withTrailingSlash(QStringLiteral("/a/b/")), QStringLiteral("/a/b/"));
    EXPECT_EQ(settings::withTrailingSlash(QString()), QString());
}

// The page "词典": the StarDict dictionaries found, by name and word count, in the stored order and
// state; a stored one that is gone is dropped; Space, Ctrl+Down and "关闭保存" store the new choice.
TEST(SettingsDialog, DictionaryPageOrdersAndSwitchesStarDicts)
{
    struct Case {
        const char* stored;          // STARDICT/Dictionaries before; null: none
        QStringList shown;           // top first; "-" marks an unchecked one
        const char* afterSpaceAndCtrlDown; // the top one switched and moved down, then saved
        const char* english;         // [ENGLISH] lines before
        QList<bool> boxes;           // 英美音标, WordNet 释义, 英文释义, 单词列表提示显示例句 as shown
        QList<int> afterSenses;      // Phonetics, Senses, Definition, TipExample stored once WordNet 释义 is switched
    };
    const Case cases[] = {
        {nullptr, {QStringLiteral("Alpha  (2 词)"), QStringLiteral("Beta  (1 词)")}, "+Dict/b/Beta.ifo|-Dict/a/Alpha.ifo",
         "", {true, true, true, true}, {1, 0, 1, 1}},
        {"-Dict/b/Beta.ifo|+Dict/gone/Gone.ifo|+Dict/a/Alpha.ifo",
         {QStringLiteral("-Beta  (1 词)"), QStringLiteral("Alpha  (2 词)")}, "+Dict/a/Alpha.ifo|+Dict/b/Beta.ifo",
         "[ENGLISH]\nPhonetics=0\nSenses=0\nTipExample=0\n", {false, false, true, false}, {0, 1, 1, 0}},
    };
    for (const Case& c : cases) {
        Fixture f((c.stored ? QString::fromLatin1("[STARDICT]\nDictionaries=%1\n").arg(QLatin1String(c.stored))
                            : QString()) + QLatin1String(c.english));
        lextest::writeStarDictFiles(f.dir, QStringLiteral("Dict/a/Alpha"), QStringLiteral("Alpha"),
                                    {QStringLiteral("go"), QStringLiteral("went")});
        lextest::writeStarDictFiles(f.dir, QStringLiteral("Dict/b/Beta"), QStringLiteral("Beta"), {QStringLiteral("go")});
        SettingsTarget t = f.target();
        t.programFolder = f.dir.path();
        t.starDictFolders = QStringList{f.dir.path(QStringLiteral("Dict/a")), f.dir.path(QStringLiteral("Dict/b"))};
        CMyPropPage d(std::move(t));
        d.pageList()->setCurrentRow(3);
        auto* list = on<QListWidget>(d.page(3), CPropSub3::kDictionaries);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << (list->item(i)->checkState() == Qt::Checked ? QString() : QStringLiteral("-")) + list->item(i)->text();
        EXPECT_EQ(shown, c.shown);
        EXPECT_FALSE(on<QPushButton>(d.page(3), CPropSub3::kMoveUp)->isEnabled());   // the top one is current

        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Space);
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_FALSE(on<QPushButton>(d.page(3), CPropSub3::kMoveDown)->isEnabled());
        // Glosix's English parts under the list: switched with the keyboard like the rest.
        QList<bool> boxes;
        for (int id : {CPropSub3::kPhonetics, CPropSub3::kSenses, CPropSub3::kDefinition, CPropSub3::kTipExample})
            boxes << on<QCheckBox>(d.page(3), id)->isChecked();
        EXPECT_EQ(boxes, c.boxes);
        QCheckBox* senses = on<QCheckBox>(d.page(3), CPropSub3::kSenses);
        senses->setFocus();
        QTest::keyClick(senses, Qt::Key_Space);
        closeSave(d);
        const Profile stored(f.dir.path(QStringLiteral("Config.INI")));
        EXPECT_EQ(stored.readString(QStringLiteral("STARDICT"), QStringLiteral("Dictionaries")),
                  QLatin1String(c.afterSpaceAndCtrlDown));
        EXPECT_EQ(readStarDictOrder(stored, f.dir.path()), d.dictionaryPage()->choices());
        const EnglishSettings english = readEnglishSettings(stored);
        EXPECT_EQ((QList<int>{english.phonetics, english.senses, english.definition, english.tipExample}), c.afterSenses);
    }
}

namespace {

// The page "同步": the folder and name as kept, the other machines with when each last wrote (this
// one left out), and "关闭保存" handing a change on once and nothing when nothing changed.
TEST(SettingsDialog, TheSyncPageShowsTheOtherMachinesAndAppliesAChange)
{
    Fixture f(QString{});
    SettingsTarget t = f.target();
    t.syncFolder = QStringLiteral("/media/stick/Sync/");
    t.syncDefaultDevice = QStringLiteral("laptop");
    t.syncSeen = {{QStringLiteral("laptop"), 1},
                  {QStringLiteral("desk"), QDateTime(QDate(2026, 12, 8), QTime(21, 5)).toMSecsSinceEpoch()}};
    QStringList applied;
    t.setSync = [&](const QString& folder, const QString& device) { applied << folder + QLatin1Char('|') + device; };
    struct Case {
        const char* what;
        QString folder, device;
        QStringList expected;
    };
    const Case cases[] = {
        {"nothing changed", QStringLiteral("/media/stick/Sync/"), QString(), {}},
        {"another folder and a name", QStringLiteral("/home/me/Sync"), QStringLiteral("desk2"),
         {QStringLiteral("/home/me/Sync/|desk2")}},
        {"no folder: syncing stops", QString(), QString(), {QStringLiteral("|")}},
    };
    for (const Case& c : cases) {
        applied.clear();
        CMyPropPage d(t);
        d.pageList()->setCurrentRow(4);
        EXPECT_EQ(on<QGroupBox>(&d, CMyPropPage::kPageFrame)->title(), QStringLiteral("同步"));
        auto* folder = on<QLineEdit>(d.page(4), CPropSub4::kFolder);
        EXPECT_EQ(folder->text(), QStringLiteral("/media/stick/Sync/"));
        EXPECT_EQ(on<QLineEdit>(d.page(4), CPropSub4::kDevice)->placeholderText(), QStringLiteral("laptop"));
        auto* machines = on<QListWidget>(d.page(4), CPropSub4::kMachines);
        ASSERT_EQ(machines->count(), 1);
        EXPECT_EQ(machines->item(0)->text(), QStringLiteral("desk  2026-12-08 21:05"));
        folder->setText(c.folder);
        on<QLineEdit>(d.page(4), CPropSub4::kDevice)->setText(c.device);
        closeSave(d);
        EXPECT_EQ(applied, c.expected) << c.what;
    }
}

} // namespace
