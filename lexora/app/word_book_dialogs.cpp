#include "lexora/app/word_book_dialogs.h"

#include "common/spell/hunspell_checker.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/dictionary/word_forms.h"
#include "common/dictionary/wordnet.h"
#include "common/frame/my_base_dialog.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/speech/speech_output.h"
#include "common/text/hyphenator.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"
#include "lexora/exchange/import_dialog.h"
#include "lexora/exchange/words_from_text_dialog.h"
#include "lexora/link/companion_link.h"
#include "lexora/practice/cloze.h"
#include "lexora/practice/practice_run.h"
#include "lexora/practice/practice_trace.h"
#include "lexora/practice/today_plan_dialog.h"
#include "lexora/practice/today_review_dialog.h"
#include "lexora/practice/vocabulary_test_dialog.h"
#include "lexora/record/review_record.h"
#include "common/config/profile.h"
#include "lexora/settings/my_prop_page.h"
#include "lexora/texts/lexora_texts.h"
#include "lexora/stats/statistics_window.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/wordlist/find_dialog.h"
#include "lexora/wordlist/group_dialog.h"
#include "lexora/wordlist/list_book_dialog.h"
#include "lexora/wordlist/small_dialogs.h"

namespace lex {

bool WordBookPageDialogs::confirmDelete(const QString& text, bool* dontAskAgain)
{
    CMyDeleteCheck dialog(text, &page_);
    const int result = ui().runModal(&dialog);
    *dontAskAgain = dialog.dontAskAgain();
    return result == QDialog::Accepted;
}

bool WordBookPageDialogs::addOrModify(int row, const std::function<void(int row)>& added)
{
    CMyAddModifyDialog::Inputs in;
    in.mode = row >= 0 ? CMyAddModifyDialog::Mode::Modify : CMyAddModifyDialog::Mode::Add;
    in.row = row;
    in.session = &c_->session();
    in.clock = orDefault(c_->services().clock);
    in.profile = c_->profile();
    in.lookUp = [this](QStringView word, QString& explanation, QString& phonetic) {
        const bool found = c_->dictionary().LookUpWord(word, explanation, phonetic);
        // The learner's accent decides the phonetic filled in (英音 / 美音).
        const Profile* profile = c_->profile();
        const Accent accent = profile ? accentFromSetting(profile->readString(QLatin1String(kAccentSection),
                                                                             QLatin1String(kAccentKey)))
                                      : Accent::UK;
        if (found)
            phonetic = phoneticToFill(accent, phonetic, c_->accents(), word);
        return found;
    };
    in.baseFormOf = [this](QStringView word) { return c_->forms().baseFormOf(word); };
    // The example WordNet has for the word, as the list's tip shows it (none without WordNet).
    auto wordnet = std::make_shared<WordNet>(c_->services().env);
    wordnet->open(WordNet::defaultFolder());
    in.exampleOf = [wordnet](QStringView word) { return exampleOf(wordnet->senses(word), word); };
    in.phoneticFont = page_.phoneticFont();
    CMyAddModifyDialog dialog(in, &page_);
    QObject::connect(&dialog, &CMyAddModifyDialog::added, &page_, added);
    return ui().runModal(&dialog) != QDialog::Rejected;
}

std::optional<QString> WordBookPageDialogs::className()
{
    CMyNameClass dialog(c_->profile(), &page_);
    if (ui().runModal(&dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.className();
}

std::function<bool(int)> WordBookPageDialogs::strangenessFilter()
{
    CMySelFilter dialog(&page_);
    if (ui().runModal(&dialog) != QDialog::Accepted)
        return {};
    // The dialog goes when this returns: the answer is taken for each degree now.
    std::array<bool, 256> keeps{};
    for (int t = 0; t < 256; ++t)
        keeps[size_t(t)] = dialog.keeps(t);
    return [keeps](int t) { return t >= 0 && t < 256 && keeps[size_t(t)]; };
}

std::optional<WordBookDialogs::GroupChoice> WordBookPageDialogs::groups(const QString& folder, const QString& openName,
                                                                         bool moveMode)
{
    CMyCategory::Inputs in;
    in.folder = folder;
    in.openName = openName;
    in.moveMode = moveMode;
    in.env = orDefault(c_->services().env);
    in.ui = c_->services().ui;
    CMyCategory dialog(in, &page_);
    if (ui().runModal(&dialog) != QDialog::Accepted)
        return std::nullopt;
    return GroupChoice{dialog.chosenName(), dialog.discard(), dialog.move()};
}

void WordBookPageDialogs::openFind()
{
    // One find window at a time; a second request leaves the open one where it is.
    if (find_)
        return;
    find_ = new CMyFindDialog(&c_->session(), page_.list(), c_->services().ui, c_->profile(), &page_);
    find_->show();
}

ImportExportHost WordBookPageDialogs::importHost() const
{
    const AppServices& services = c_->services();
    ImportExportHost host;
    host.session = &c_->session();
    host.list = page_.list();
    host.ui = services.ui;
    host.env = services.env;
    host.clock = services.clock;
    host.lookUp = [this](QStringView word, QString& explanation, QString& phonetic) {
        return c_->dictionary().LookUpWord(word, explanation, phonetic);
    };
    host.programFolder = c_->programFolder();
    return host;
}

void WordBookPageDialogs::importExport(bool importMode)
{
    ImportExportHost host = importHost();
    if (const SpeechOutput* speech = c_->speech()) {
        host.voiceFolder = speech->voiceFolder();
        host.speech = speech;
    }
    host.previewFont = page_.dialogFont();
    CMyImportDialog dialog(importMode, host, &page_);
    ui().runModal(&dialog);
}

void WordBookPageDialogs::wordsFromText()
{
    const ImportExportHost host = importHost();
    const AppServices& services = c_->services();
    WordNet wordnet(services.env);
    wordnet.open(WordNet::defaultFolder());
    const WordInfoTable& info = c_->wordInfo();
    CWordsFromTextDialog dialog(host, dictionaryResolver(&c_->forms(), &wordnet, &c_->dictionary(), &info), &page_);
    // The words the learner's vocabulary test says he knows are hidden from the start.
    if (const Profile* profile = c_->profile())
        dialog.setKnownRank(knownFrequencyRank(info, loadVocabularyEstimate(*profile)));
    ui().runModal(&dialog);
}

WordBookPageDialogs::WordBookPageDialogs(CLexoraDlg& page) : page_(page) {}
WordBookPageDialogs::~WordBookPageDialogs() = default;

const WordChecker* WordBookPageDialogs::wordChecker()
{
    if (!checkerTried_) {
        checkerTried_ = true;
        QString why;
        const QStringList folders = defaultHunspellFolders();
        checker_ = openHunspellChecker(folders, &why);
        // No folder at all is a choice (LEXORA_HUNSPELL_PATH set empty), not a missing package.
        if (!checker_ && !folders.isEmpty())
            ui().messageBox(&page_, texts::noSpellingDictionaryText());
    }
    return checker_.get();
}

const Hyphenator* WordBookPageDialogs::hyphenator()
{
    if (!hyphenator_) {
        // Without the patterns the hints cut syllables by vowel groups: nothing to tell.
        hyphenator_ = std::make_unique<Hyphenator>();
        QByteArray patterns;
        if (orDefault(c_->services().env)->readFile(defaultHyphenationPatterns(), &patterns).isOk())
            hyphenator_->load(patterns);
    }
    return hyphenator_.get();
}

bool WordBookPageDialogs::practice(PracticeMode mode, int minWords)
{
    const AppServices& services = c_->services();
    PracticeRunHost host;
    host.session = &c_->session();
    host.list = page_.list();
    host.owner = &page_;
    host.minWords = minWords;
    host.outerWindow = page_.window() != &page_ ? page_.window() : nullptr;
    PracticeWindowDeps& d = host.window;
    d.ui = services.ui;
    d.random = services.random;
    d.clock = services.clock;
    d.speak = [this](QStringView word) { c_->SpeakWord(word.toString()); };
    // 例句: the run's words go to the companion dictionary through the window's own link.
    if (CompanionLink* companion = c_->companion())
        companion->connectPracticeSinks(d);
    d.configPath = c_->programFolder() + QLatin1Char('/') + config::kFileName;
    d.env = services.env;
    d.phoneticFont = page_.phoneticFont();
    d.upperCase = page_.isToggleChecked(cmd::kToggleCase);
    if (answerIsTyped(mode)) {
        d.wordChecker = wordChecker();
        d.hyphenator = hyphenator();
    }
    d.trace = PracticeTrace::fromEnvironment(orDefault(services.env));
    host.lookUp = [this](QStringView word, QString& explanation, QString& phonetic) {
        return c_->dictionary().LookUpWord(word, explanation, phonetic);
    };
    if (mode == PracticeMode::Cloze) {
        // The examples come from WordNet; a form it cannot bring back, from the dictionary's forms.
        struct Sources {
            WordNet wordnet;
            WordForms forms;
            explicit Sources(Env* env) : wordnet(env) {}
        };
        auto sources = std::make_shared<Sources>(services.env);
        sources->wordnet.open(WordNet::defaultFolder());
        sources->forms.openIndex(c_->programFolder() + QStringLiteral("/Dict/Dict.idx"));
        d.clozeFor = [sources](const WordEntry& e) {
            return clozeFromWordNet(sources->wordnet, &sources->forms, e.word());
        };
    }
    return runPractice(mode, host);
}

std::optional<WordBookDialogs::ReviewChoice>
WordBookPageDialogs::todayReview(const std::array<int, kSkillCount>& counts)
{
    TodayReviewDialog dialog(counts, &page_);
    if (ui().runModal(&dialog) != QDialog::Accepted || !dialog.chosen())
        return std::nullopt;
    const Skill degree = *dialog.chosen();
    return ReviewChoice{degree, TodayReviewDialog::practiceFor(degree)};
}

WordBookDialogs::PlanChoice WordBookPageDialogs::todayPlan(const StudyState& state, bool planSet)
{
    TodayPlanDialog dialog(state, planSet, &page_);
    PlanChoice c;
    if (ui().runModal(&dialog) != QDialog::Accepted)
        return c;
    c.saved = dialog.savedPlan();
    if (!c.saved)
        c.start = dialog.chosen();
    return c;
}

void WordBookPageDialogs::settings()
{
    SettingsTarget t;
    t.ui = c_->services().ui;
    t.speech = c_->speech();
    if (auto* outer = qobject_cast<CMainDialog*>(page_.window()))
        t.profile = &outer->profile();
    t.env = c_->services().env;
    t.programFolder = c_->programFolder();
    t.bookFolder = c_->book().path;
    bool* forbidWinStick = c_->forbidWinStick();
    t.forbidWinStick = forbidWinStick && *forbidWinStick;
    t.background = page_.list()->backgroundColor();
    t.fontType = page_.fontType();
    t.retention = readDesiredRetention(t.profile);
    t.setBackground = [this](const QColor& c) { page_.list()->setBackgroundColor(c); };
    t.setFontType = [this](int type) { page_.setFontType(type); };
    t.setForbidWinStick = [forbidWinStick](bool on) {
        if (forbidWinStick)
            *forbidWinStick = on;
        CMyBaseDialog::setForbidWinStick(on);
    };
    t.changeBookFolder = [this](const QString& folder) { return c_->changeBookFolder(folder); };
    const sync::SyncSettings synced = c_->syncer().settings();
    t.syncFolder = synced.folder;
    t.syncDevice = synced.device;
    t.syncDefaultDevice = sync::SyncSettings{}.machine();
    for (auto it = c_->syncer().lastSeen().begin(); it != c_->syncer().lastSeen().end(); ++it)
        t.syncSeen.insert(it.key(), it.value());
    t.setSync = [this](const QString& folder, const QString& device) {
        const sync::SyncSettings s{folder, device};
        if (Profile* p = c_->profile())
            s.write(*p);
        c_->applySyncSettings(s);
    };
    CMyPropPage dialog(std::move(t), &page_);
    ui().runModal(&dialog);
}

void WordBookPageDialogs::statistics()
{
    const Book& book = c_->book();
    const AppServices& services = c_->services();
    StudyStatistics::Source source;
    source.entries = book.full();
    source.recordFile = ReviewRecord::fileFor(book.path, book.name);
    source.retention = readDesiredRetention(c_->profile());
    source.today = reviewDay(*orDefault(services.clock));
    source.env = services.env;
    if (c_->planner().planSet())
        source.plan = c_->planner().plan();
    // The model today's review has read already is not read again.
    if (const ReviewModel* m = c_->record().modelIfRead(book); m && m->scheduler().retention() == source.retention)
        source.model = m;
    StatisticsWindow::Deps deps;
    deps.ui = services.ui;
    deps.env = services.env;
    deps.saveFolder = book.path;
    deps.bookName = book.name;
    StatisticsWindow window(std::move(source), std::move(deps), &page_);
    ui().runModal(&window);
}

std::optional<QString> WordBookPageDialogs::bookFromList(const QString& folder, const WordInfoTable& lists)
{
    ListBookForm form(lists, &c_->dictionary(), c_->services().env, folder);
    CMyListBookDialog dialog(form, c_->services().ui, *orDefault(c_->services().clock), &page_);
    if (ui().runModal(&dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.madeName();
}

std::optional<QString> WordBookPageDialogs::vocabularyTest(const QString& folder, const WordInfoTable& lists)
{
    ListBookForm form(lists, &c_->dictionary(), c_->services().env, folder);
    VocabularyQuiz quiz(vocabularyPool(lists), &c_->dictionary(), *orDefault(c_->services().random));
    CVocabularyTestDialog dialog(quiz, form, c_->services().ui, *orDefault(c_->services().clock), &page_);
    ui().runModal(&dialog);
    if (const VocabularyEstimate e = quiz.estimate(); quiz.done() && e.valid() && c_->profile())
        saveVocabularyEstimate(*c_->profile(), e, quiz.poolSize());
    if (dialog.madeName().isEmpty())
        return std::nullopt;
    return dialog.madeName();
}

} // namespace lex
