#include "lexora/app/word_book_controller.h"

#include "common/config/english_settings.h"
#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/speech/speech_output.h"
#include "common/ui/dialog_template.h"
#include "lexora/app/status_animation.h"
#include "lexora/book/book_damage.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "lexora/link/companion_add.h"
#include "lexora/link/companion_link.h"
#include "lexora/book/operations/degree_ops.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/book/operations/order_ops.h"
#include "lexora/settings/settings_target.h"
#include "lexora/sync/journal_folder.h"
#include "lexora/texts/lexora_texts.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QTimer>
#include <QHash>

#include <algorithm>

namespace lex {

namespace {

Env* envOf(const AppServices& s) { return orDefault(s.env); }
Clock* clockOf(const AppServices& s) { return orDefault(s.clock); }
Random* randomOf(const AppServices& s) { return orDefault(s.random); }

} // namespace

WordBookController::WordBookController(const AppServices& services, WordBookView* view, WordBookDialogs* dialogs,
                                       QWidget* owner)
    : services_(services), view_(view), dialogs_(dialogs), owner_(owner), session_(envOf(services)),
      record_([this](const RecordFault& fault) { services_.ui->messageBox(owner_, texts::recordFault(fault)); }),
      planner_(&record_, services.env, services.clock, services.random,
               [this](const QString& text) { services_.ui->messageBox(owner_, text); })
{
    // The learning record hears every change of the open Book from the session itself.
    record_.follow(session_);
    syncer_ = std::make_unique<sync::BookSyncer>(session_, record_, envOf(services_), services_.clock);
    syncWatcher_ = new QFileSystemWatcher(this);
    syncDelay_ = new QTimer(this);
    syncDelay_->setSingleShot(true);
    syncDelay_->setInterval(2000);
    connect(syncDelay_, &QTimer::timeout, this, [this] { syncNow(); });
    connect(syncWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] { syncDelay_->start(); });
    connect(&session_, &BookSession::bookRenamed, this, [this] { updateStatusText(); });
    connect(&session_, &BookSession::notice, this, [this](const QString& text) {
        services_.ui->messageBox(owner_, text);
    });
    animation_ = new StatusAnimation([this](const QString& t) { view_->setPaneText(0, t); },
                                     [this] { return statusText_; }, this);
}

WordBookController::~WordBookController() = default;

void WordBookController::initialise(const QString& programFolder, Profile& profile, bool* forbidWinStick,
                                    const std::function<void(const WordBookConfig&)>& applyToControls)
{
    UserServices& ask = *services_.ui;
    Env* env = envOf(services_);
    programFolder_ = programFolder;
    forbidWinStick_ = forbidWinStick;
    profile_ = std::make_unique<Profile>(profile);

    // The status bar.
    view_->setPaneText(0, QStringLiteral("Book:"));
    view_->setPaneText(1, QStringLiteral("已选:0"));
    view_->setPaneText(2, QStringLiteral("已学:0"));

    // The dictionary: one message per file that cannot be mapped; look-ups then find nothing.
    for (const QString& path : dict_.openFolder(programFolder + QStringLiteral("/Dict")))
        ask.messageBox(owner_, QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + path);
    // The forms ride in the main index when it was built with them, else in the companion's.
    for (const char* index : {"/Dict/Dict.idx", "/Dict/21ct.idx"})
        if (forms_.count() == 0)
            forms_.openIndex(programFolder + QLatin1String(index));
    // So do both accents' pronunciations, for the accent 添加 fills in.
    for (const char* index : {"/Dict/Dict.idx", "/Dict/21ct.idx"})
        if (accents_.size() == 0)
            accents_.openIndex(programFolder + QLatin1String(index));

    // Speech, then the voice folder with its question.
    SpeechDeps deps;
    deps.engine = services_.tts;
    deps.player = services_.player;
    deps.events = services_.events;
    deps.ui = services_.ui;
    deps.owner = owner_;
    deps.env = env;
    speech_ = std::make_unique<SpeechOutput>(SpeechProgram::Main, deps);
    speech_->initialise(profile, programFolder);

    const WordBookConfig config = readWordBookConfig(profile);
    // The check boxes, the list and the fonts.
    if (applyToControls)
        applyToControls(config);

    // Which Book, with the questions on the way.
    const QString bookPath = resolveBookPath(config.bookPath, programFolder, ask, owner_, env);
    const QString bookName = resolveBookName(bookPath, config.bookName, ask, owner_, env);
    // Damaged records a load had to leave out: said once per load, with where the files are kept.
    connect(&session_, &BookSession::loaded, this, [this](const LoadReport& report) {
        if (const QString notice = texts::damageNotice(session_.book(), report); !notice.isEmpty())
            services_.ui->messageBox(owner_, notice);
        if (session_.readOnly())
            services_.ui->messageBox(owner_, texts::readOnlyNotice(session_.book().name));
        // The plan's figures read the Book's whole record the first time: the status line gets
        // them once the window is up, and a Book with a plan opens on it then.
        planner_.bookOpened(session_.book());
        QMetaObject::invokeMethod(this, &WordBookController::updateProgress, Qt::QueuedConnection);
        if (planner_.planSet())
            QMetaObject::invokeMethod(this, &WordBookController::openTodayPlan, Qt::QueuedConnection);
    });
    session_.setLockFolder(services_.runtimeDir);
    session_.open(bookPath, bookName, loadHooks());

    // The synced folder: what the other machines did comes in before the learner starts. A Book
    // folder that a sync tool keeps itself is pointed out once, on the status line.
    syncer_->setSettings(sync::SyncSettings::read(profile));
    if (syncer_->settings().enabled()) {
        syncNow();
    } else if (profile.readInt(QStringLiteral("SYNC"), QStringLiteral("ToolNoticed"), 0) == 0) {
        if (const QString tool = sync::syncToolAbove(env, bookPath); !tool.isEmpty()) {
            view_->setPaneText(0, texts::syncToolNotice(bookPath, tool));
            profile.writeInt(QStringLiteral("SYNC"), QStringLiteral("ToolNoticed"), 1);
        }
    }

    // The focused row of the last run is only scrolled into view: it becomes neither focused nor
    // selected, so that 修改 and 查找下一个 act on no row until the learner picks one. It is
    // remembered for the next run while no row takes the focus.
    if (config.focusedItem >= 0 && config.focusedItem < session_.rowCount()) {
        rememberedRow_ = config.focusedItem;
        view_->scrollToRow(config.focusedItem);
    }

    CompanionLink::Deps link;
    link.link = services_.link;
    link.events = services_.events;
    link.launcher = services_.launcher;
    link.ui = services_.ui;
    link.owner = owner_;
    link.programFolder = programFolder;
    link.executable = services_.companionExecutable;
    companion_ = std::make_unique<CompanionLink>(link);
}

void WordBookController::shutDown(Profile& profile, WordBookExitState s)
{
    if (shutDown_)
        return;
    shutDown_ = true;
    if (speech_)
        speech_->shutDown(&profile);
    if (session_.book().saveOnExit)
        onCommand(cmd::kSave, 0);

    s.voicePath = speech_ ? speech_->voiceFolder() : QString();
    s.ttsDisabled = speech_ && speech_->ttsDisabled();
    s.bookPath = session_.book().path;
    s.bookName = session_.book().name;
    s.focusedItem = view_->focusedRow();
    // Untouched, the remembered row carries on to the next run.
    if (s.focusedItem < 0 && rememberedRow_ < session_.rowCount())
        s.focusedItem = rememberedRow_;
    writeWordBookConfig(profile, s);
}

bool WordBookController::onCommand(int id, qintptr param)
{
    switch (id) {
    case ui::IDOK:
    case ui::IDCANCEL:
        return true;   // Enter and Esc close nothing
    case cmd::kToggleWord:
    case cmd::kToggleExplanation:
    case cmd::kToggleCase:
        onToggle(id);
        return true;
    case cmd::kStatusText:
        // The message parameter is the text.
        if (param)
            showStatusText(*reinterpret_cast<const QString*>(param));
        return true;
    case cmd::kSave:
        save();
        return true;
    case cmd::kDelete:
        deleteSelected(param);
        return true;
    case cmd::kShuffle:
        session_.run(std::make_unique<ShuffleOp>(*clockOf(services_), *randomOf(services_)));
        return true;
    case cmd::kRenumber:
        session_.run(std::make_unique<RenumberOp>());
        return true;
    case cmd::kUndo:
        session_.undo();
        return true;
    case cmd::kRedo:
        session_.redo();
        return true;
    case cmd::kImport:
        dialogs_->importExport(true);
        updateStatusText();   // an Anki package brings its words' sounds into the voice folder
        return true;
    case cmd::kExport:
        if (requireSelection(1, QStringLiteral("请选择单词再导出.要导出全部可按Ctrl-A")))
            dialogs_->importExport(false);
        return true;
    case cmd::kStrangenessFilter:
        filterSelection();
        return true;
    case cmd::kAdd:
        addOrModify(false);
        return true;
    case cmd::kModify:
        addOrModify(true);
        return true;
    case cmd::kClassName:
        assignClassName();
        return true;
    case cmd::kFind:
        dialogs_->openFind();
        return true;
    case cmd::kSettings:
        dialogs_->settings();
        updateStatusText();   // the voice folder may be another
        return true;
    case cmd::kGroups:
        groups(false);
        return true;
    case cmd::kMoveCopy:
        groups(true);
        return true;
    case cmd::kCheckDuplicates:
        return true;   // no action
    case cmd::kDictate:
    case cmd::kCloze:
    case cmd::kLearn:
    case cmd::kDrill:
    case cmd::kListen:
        runPracticeCommand(id);
        return true;
    case cmd::kTodayReview:
        openTodayReview();
        return true;
    case cmd::kTodayPlan:
        openTodayPlan();
        return true;
    case cmd::kStatistics:
        dialogs_->statistics();
        return true;
    case cmd::kNewBookFromList:
        newBookFromList(false);
        return true;
    case cmd::kVocabularyTest:
        newBookFromList(true);
        return true;
    case cmd::kWordsFromText:
        dialogs_->wordsFromText();
        updateStatusText();
        return true;
    default:
        return false;
    }
}

bool WordBookController::requireSelection(int minimum, const QString& message)
{
    if (int(view_->selectedRows().size()) >= minimum)
        return true;
    services_.ui->messageBox(owner_, message);
    return false;
}

void WordBookController::onToggle(int id)
{
    if (id == cmd::kToggleCase) {
        view_->redrawList();
        return;
    }
    const int other = id == cmd::kToggleWord ? cmd::kToggleExplanation : cmd::kToggleWord;
    const bool on = view_->isToggleChecked(id);
    // One of the two columns always shows.
    if (!on && !view_->isToggleChecked(other))
        view_->setToggleChecked(other, true);
    session_.run(std::make_unique<RevealAllOp>(on));
    view_->redrawList();   // the toggles themselves are read while drawing
}

SaveQuestions WordBookController::saveQuestions()
{
    SaveQuestions q;
    q.askSaveAs = [this](const SaveAsQuestion& question) {
        return services_.ui->messageBox(owner_, texts::saveAsQuestion(question), {}, MessageButtons::YesNo)
               == MessageAnswer::Yes;
    };
    q.chooseFile = [this](const QString& initialPath, SaveFailure failed) {
        return services_.ui->saveFileName(owner_, initialPath, texts::saveAsFilter(failed));
    };
    return q;
}

bool WordBookController::save()
{
    // A save-as that gives the Book another name reaches the status bar through the session.
    const bool saved = session_.save(saveQuestions()).ok();
    if (saved)
        syncNow();
    return saved;
}

void WordBookController::applySyncSettings(const sync::SyncSettings& settings)
{
    syncer_->setSettings(settings);
    syncNow();
}

void WordBookController::syncNow()
{
    if (syncing_ || !syncer_->settings().enabled())
        return;
    syncing_ = true;
    const sync::BookSyncer::Told told = syncer_->merge([this] { return session_.save(saveQuestions()).ok(); });
    syncing_ = false;
    // Only the Book's own folder of the journal is watched: the other Books' files are not ours.
    const QString folder = sync::journalFolder(syncer_->settings().folder, session_.book().name);
    if (!syncWatcher_->directories().isEmpty())
        syncWatcher_->removePaths(syncWatcher_->directories());
    if (QFileInfo::exists(folder))
        syncWatcher_->addPath(folder);
    // Never a question: the status line says what came in, and a fault of the folder once.
    QStringList lines;
    for (const QString& t : {told.note, told.fault, told.foreign})
        if (!t.isEmpty())
            lines << t;
    if (!lines.isEmpty())
        view_->setPaneText(0, statusText_ + QStringLiteral("  ") + lines.join(QStringLiteral("  ")));
}

BookFileHooks WordBookController::loadHooks()
{
    BookFileHooks hooks;
    hooks.oldIndexFormRead = [this] {
        services_.ui->openExternally(programFolder_ + QStringLiteral("/ReportError.txt"));
    };
    return hooks;
}

void WordBookController::deleteSelected(qintptr param)
{
    const std::vector<int> rows = view_->selectedRows();
    const bool go = confirmDeletion(session_, int(rows.size()), param, [this](const QString& text, bool* dontAsk) {
        return dialogs_->confirmDelete(text, dontAsk);
    });
    if (!go)
        return;
    const DeleteOutcome out = session_.run(std::make_unique<DeleteOp>(rows));
    if (out.removed > 0 && !out.cleared)
        view_->showRow(out.selectRow, true);
}

void WordBookController::addOrModify(bool modify)
{
    const int row = modify ? view_->focusedRow() : -1;
    if (modify && row < 0)
        return;
    // Each added word is the one row selected, focused and shown.
    const bool accepted = dialogs_->addOrModify(row, [this](int added) { view_->showRow(added, false); });
    if (modify && accepted)
        view_->showRow(row, false);
    view_->focusList();
}

void WordBookController::assignClassName()
{
    const std::vector<int> rows = view_->selectedRows();
    if (rows.empty())
        return;
    const std::optional<QString> name = dialogs_->className();
    if (!name)
        return;
    session_.run(std::make_unique<ClassNameOp>(rows, *name));
}

void WordBookController::filterSelection()
{
    if (!requireSelection(2, QStringLiteral("必须有多个选择项才有意义，此过滤器用于练习过后\n方便通过临时陌生度改变其它陌生度")))
        return;
    const std::function<bool(int)> keeps = dialogs_->strangenessFilter();
    if (!keeps)
        return;
    const Book& book = session_.book();
    view_->narrowSelection([&](int row) {
        const WordEntry* e = book.atView(row);
        return e && keeps(e->temporary);
    });
}

void WordBookController::groups(bool moveMode)
{
    const std::vector<int> rows = view_->selectedRows();
    if (moveMode && rows.empty())
        return;
    const QString folder = session_.book().path;
    if (const auto chosen = dialogs_->groups(folder, session_.book().name, moveMode)) {
        if (!moveMode) {
            session_.switchBook(folder, chosen->name, chosen->discard, saveQuestions(), loadHooks());
        } else {
            // The copies take their record along: the keys are read before a move takes the rows.
            std::vector<EntryKey> keys;
            for (int row : rows)
                if (const WordEntry* e = session_.book().atView(row))
                    keys.push_back(EntryKey::of(*e));
            const MoveToOp::Outcome out =
                session_.run(std::make_unique<MoveToOp>(rows, chosen->name, chosen->move));
            if (!out.failed())
                record_.copyTo(session_.book(), ReviewRecord::fileFor(folder, chosen->name), keys);
            if (out.failed())
                services_.ui->messageBox(owner_, texts::moveFailure(out.intoOpenBook, out.append));
            else if (out.deleted.removed > 0 && !out.deleted.cleared)
                view_->showRow(out.deleted.selectRow, true);
        }
    }
    updateStatusText();
}

const WordInfoTable& WordBookController::wordInfo()
{
    if (!wordInfo_) {
        wordInfo_ = std::make_unique<WordInfoTable>(envOf(services_));
        wordInfo_->openIndex(programFolder_ + QStringLiteral("/Dict/Dict.idx"));
    }
    return *wordInfo_;
}

void WordBookController::newBookFromList(bool vocabularyTest)
{
    // A dictionary of an older build keeps no lists and no ranks: there is nothing to offer.
    if (!wordInfo().count()) {
        services_.ui->messageBox(owner_, texts::noWordLists());
        return;
    }
    const QString folder = session_.book().path;
    const std::optional<QString> made =
        vocabularyTest ? dialogs_->vocabularyTest(folder, wordInfo()) : dialogs_->bookFromList(folder, wordInfo());
    if (made && !made->isEmpty())
        session_.switchBook(folder, *made, false, saveQuestions(), loadHooks());
    updateStatusText();
}

void WordBookController::runPracticeCommand(int id, int minWords)
{
    PracticeMode mode = PracticeMode::Learn;
    switch (id) {
    case cmd::kListen: mode = PracticeMode::Listen; break;
    case cmd::kLearn: mode = PracticeMode::Learn; break;
    case cmd::kDrill: mode = PracticeMode::Drill; break;
    case cmd::kDictate: mode = PracticeMode::Dictate; break;
    case cmd::kCloze: mode = PracticeMode::Cloze; break;
    default: return;
    }
    const bool ran = dialogs_->practice(mode, minWords > 0 ? minWords : kMinPracticeWords);
    record_.checkpoint();
    if (ran) {
        updateProgress();
        startStatusAnimation();
    }
}

QString WordBookController::recallText(const WordEntry& e)
{
    return texts::recallLines(record_.recall(session_.book(), e, reviewDay(*clockOf(services_))));
}

QString WordBookController::exampleText(const WordEntry& e)
{
    if (profile_ && !readEnglishSettings(*profile_).tipExample)
        return {};
    if (!wordnet_) {
        wordnet_ = std::make_unique<WordNet>(envOf(services_));
        wordnet_->open(WordNet::defaultFolder());
    }
    return exampleOf(wordnet_->senses(e.word(), &forms_), e.word());
}

void WordBookController::openTodayReview()
{
    const Clock& clock = *clockOf(services_);
    // Read each time: the settings dialog may have changed it since the last plan.
    record_.setRetention(readDesiredRetention(profile()));
    // The first plan of a Book reads its learning record in: a second or so for millions of answers.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const ReviewPlan plan = record_.todayPlan(session_.book(), session_.book().view(), reviewDay(clock));
    QGuiApplication::restoreOverrideCursor();
    const auto choice = dialogs_->todayReview(plan.counts);
    if (!choice)
        return;
    view_->selectRows(plan.rows(choice->degree));
    startPractice(choice->mode);
}

void WordBookController::startPractice(PracticeMode mode, int minWords)
{
    int command = cmd::kLearn;
    switch (mode) {
    case PracticeMode::Listen: command = cmd::kListen; break;
    case PracticeMode::Dictate: command = cmd::kDictate; break;
    case PracticeMode::Cloze: command = cmd::kCloze; break;
    case PracticeMode::Drill: command = cmd::kDrill; break;
    case PracticeMode::Learn: command = cmd::kLearn; break;
    }
    runPracticeCommand(command, minWords);
}

void WordBookController::openTodayPlan()
{
    const Book& book = session_.book();
    for (;;) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const std::optional<StudyState> state = planner_.compute(book, readDesiredRetention(profile()));
        QGuiApplication::restoreOverrideCursor();
        if (!state)
            return;
        const WordBookDialogs::PlanChoice choice = dialogs_->todayPlan(*state, planner_.planSet());
        if (choice.saved) {
            // The new numbers are kept, and the plan shown again with what they give.
            if (!planner_.setPlan(book, *choice.saved))
                return;
            updateProgress();
            continue;
        }
        if (!choice.start)
            return;
        // Today's words are rows of the full array; the list selects rows of its view.
        QHash<const WordEntry*, int> rowOf;
        for (size_t r = 0; r < book.view().size(); ++r)
            rowOf.insert(book.view()[r], int(r));
        std::vector<int> rows;
        for (int i : state->history.plan.rowsToDo())
            if (const int r = rowOf.value(book.full()[size_t(i)], -1); r >= 0)
                rows.push_back(r);
        std::sort(rows.begin(), rows.end());
        view_->selectRows(rows);
        // Today's words are what is left of the day's plan: one is enough to start.
        startPractice(*choice.start, 1);
        return;
    }
}

StartPageFigures WordBookController::startPageFigures()
{
    StartPageFigures f;
    const Book& book = session_.book();
    f.bookName = book.name;
    f.words = int(book.full().size());
    f.planSet = planner_.planSet();
    const std::optional<StudyState> s = planner_.compute(book, readDesiredRetention(profile()), f.planSet);
    if (!s)
        return f;
    const StudyDay& t = s->history.plan.today;
    f.practised = s->history.plan.practised + t.doneNew;
    f.learned = s->forecast.learned;
    f.plannedNew = t.plannedNew, f.doneNew = t.doneNew;
    f.plannedReviews = t.plannedReviews, f.doneReviews = t.doneReviews;
    if (f.planSet) {
        f.forecast = texts::forecastText(s->forecast, QDate::fromJulianDay(t.day));
        f.streak = s->streaks.current;
        f.longest = s->streaks.longest;
        f.checkedInToday = s->streaks.days.back().state == CheckIn::Done;
    }
    return f;
}

void WordBookController::updateProgress()
{
    // A Book without a plan leaves the pane as it was, empty and hidden.
    if (!planner_.planSet() && !progressShown_)
        return;
    QString text;
    if (planner_.planSet())
        if (const std::optional<StudyState> s = planner_.compute(session_.book(), readDesiredRetention(profile()), false))
            text = texts::todayProgress(s->history.plan.today);
    view_->setPaneText(3, text);
    progressShown_ = !text.isEmpty();
}

LinkAddOutcome WordBookController::addFromCompanion(const QString& word)
{
    const Clock& clock = *clockOf(services_);
    const LinkAddOutcome r = addCompanionWord(
        session_, [this](std::unique_ptr<WordEntry> e) { return session_.run(std::make_unique<AddOp>(std::move(e))); }, &dict_, profile_.get(), clock, word);
    // Shown where it landed, without taking the learner's selection.
    if (r == LinkAddOutcome::Added)
        view_->scrollToRow(session_.rowCount() - 1);
    return r;
}

// Another Book folder: the open Book is saved where it is, then the same Book name is opened
// from the new folder, through the same switch as the groups dialog.
bool WordBookController::changeBookFolder(const QString& folder)
{
    if (const QString problem = settings::bookFolderProblem(envOf(services_), folder); !problem.isEmpty()) {
        services_.ui->messageBox(owner_, problem);
        return false;
    }
    if (!session_.switchBook(folder, session_.book().name, false, saveQuestions(), loadHooks())) {
        services_.ui->messageBox(owner_, QStringLiteral("当前Book没有保存成功，Book路径未改变。"));
        return false;
    }
    return true;
}

void WordBookController::SpeakWord(const QString& word)
{
    if (speech_)
        speech_->SpeakWord(word);
}

void WordBookController::showStatusText(const QString& text) { view_->setPaneText(0, text); }

void WordBookController::startStatusAnimation() { animation_->start(); }

void WordBookController::sendRowToCompanion(int row)
{
    const WordEntry* e = session_.book().atView(row);
    if (e && companion_)
        companion_->SendWordToCompanion(e->word().toString(), 0);
}

void WordBookController::updateStatusText()
{
    statusText_ = QStringLiteral("Book:") + session_.book().name;
    // How many of its words are heard from a recording (the voice folder, where an Anki import puts
    // its sounds too, and the learner's folders of recordings) rather than synthesised.
    if (speech_) {
        const Book& book = session_.book();
        int recorded = 0;
        RecordingFolderCache folders;   // a folder of recordings listed once, not once a word
        const int32_t rows = speech_->mayHaveRecordings(&folders) ? int32_t(book.view().size()) : 0;
        for (int32_t r = 0; r < rows; ++r)
            if (const WordEntry* e = book.atView(r); e && !speech_->recordedFile(e->word().toString(), &folders).isEmpty())
                ++recorded;
        statusText_ += texts::recordedWordsText(recorded, int(book.view().size()));
    }
    view_->setPaneText(0, statusText_);
}

} // namespace lex
