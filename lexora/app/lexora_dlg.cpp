#include "lexora/app/lexora_dlg.h"

#include "lexora/book/book_lock.h"

#include "common/config/profile.h"
#include "common/controls/image_button.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/speech/speech_output.h"
#include "common/ui/dialog_units.h"
#include "common/ui/template_builder.h"
#include "lexora/app/status_animation.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_damage.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "lexora/link/companion_link.h"
#include "lexora/wordlist/add_modify_dialog.h"
#include "lexora/wordlist/book_history.h"
#include "lexora/wordlist/find_dialog.h"
#include "lexora/wordlist/group_dialog.h"
#include "lexora/wordlist/small_dialogs.h"
#include "resources/phonetic_font.h"
#include "resources/resources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace lex {

namespace {

Env* envOf(const AppServices& s) { return s.env ? s.env : Env::defaultEnv(); }
Clock* clockOf(const AppServices& s) { return s.clock ? s.clock : Clock::system(); }
Random* randomOf(const AppServices& s) { return s.random ? s.random : Random::system(); }

QLabel* makePane(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setContentsMargins(2, 0, 2, 0);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

CLexoraDlg::CLexoraDlg(const AppServices& services, QWidget* parent)
    : QWidget(parent), services_(services), session_(envOf(services)),
      history_(std::make_unique<BookHistory>(&session_))
{
    connect(&session_, &BookSession::bookRenamed, this, [this] { updateStatusText(); });
    connect(history_.get(), &BookHistory::notice, this, [this](const QString& text) {
        services_.ui->messageBox(this, text);
    });
    setAttribute(Qt::WA_OpaquePaintEvent);
    animation_ = new StatusAnimation([this](const QString& t) { panes_[0]->setText(t); },
                                     [this] { return statusText_; }, this);
    buildControls();
}

CLexoraDlg::~CLexoraDlg()
{
    // The list points into the session: it goes first.
    delete list_;
    list_ = nullptr;
}

void CLexoraDlg::buildControls()
{
    // The status bar first: the list reports its selection from its first moment.
    statusBar_ = new QWidget(this);
    auto* layout = new QHBoxLayout(statusBar_);
    layout->setContentsMargins(0, 1, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < 3; ++i) {
        panes_[i] = makePane(statusBar_);
        if (i > 0)
            panes_[i]->setFixedWidth(kPaneWidth);
        layout->addWidget(panes_[i], i == 0 ? 1 : 0);
    }

    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_LEXORA_DIALOG));
    builder.withKind(ui::Kind::CheckBox, createImageButton)
        .withControl(cmd::kList, [this](const ui::ControlSpec&, QWidget* parent) -> QWidget* {
            return new CMyListCtrl(this, &session_, clockOf(services_), parent, history_.get());
        })
        .routeTo(this);
    const QHash<int, QWidget*> controls = builder.build(this);
    list_ = qobject_cast<CMyListCtrl*>(controls.value(cmd::kList));
    for (int id : {cmd::kToggleWord, cmd::kToggleExplanation, cmd::kToggleCase, cmd::kToggleDictionary,
                   cmd::kToggleLockIndex}) {
        if (auto* b = toggle(id)) {
            b->setBackgroundColor(kBackground);
            b->setAutoDefault(false);   // Enter never clicks a check box
        }
    }
    connect(list_, &CMyListCtrl::rowDoubleClicked, this, &CLexoraDlg::sendRowToCompanion);
    setFocusProxy(list_);   // the page's focus is the list's

}

CImageButton* CLexoraDlg::toggle(int controlId) const
{
    return ui::control<CImageButton>(this, controlId);
}

QString CLexoraDlg::paneText(int pane) const
{
    return pane >= 0 && pane < 3 ? panes_[pane]->text() : QString();
}

void CLexoraDlg::initialise(const QString& programFolder, Profile& profile, bool* forbidWinStick)
{
    UserServices& ask = *services_.ui;
    Env* env = envOf(services_);
    programFolder_ = programFolder;
    forbidWinStick_ = forbidWinStick;
    profile_ = std::make_unique<Profile>(profile);

    // The status bar.
    panes_[0]->setText(QStringLiteral("Book:"));
    panes_[1]->setText(QStringLiteral("已选:0"));
    panes_[2]->setText(QStringLiteral("已学:0"));

    // The dictionary: one message per file that cannot be mapped; look-ups then find nothing.
    for (const QString& path : dict_.openFolder(programFolder + QStringLiteral("/Dict")))
        ask.messageBox(this, QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + path);

    // Speech, then the voice folder with its question.
    SpeechDeps deps;
    deps.engine = services_.tts;
    deps.player = services_.player;
    deps.events = services_.events;
    deps.ui = services_.ui;
    deps.owner = this;
    deps.env = env;
    speech_ = std::make_unique<SpeechOutput>(SpeechProgram::Main, deps);
    speech_->initialise(profile, programFolder);

    const WordBookConfig config = readWordBookConfig(profile);

    // The check boxes.
    toggle(cmd::kToggleWord)->setCheck(true);
    toggle(cmd::kToggleExplanation)->setCheck(true);
    toggle(cmd::kToggleCase)->setCheck(config.isCase);

    // The list: background and column widths.
    if (config.background)
        list_->setBackgroundColor(*config.background);
    list_->setColumnWidths(std::vector<int>(config.columnWidths.begin(), config.columnWidths.end()));

    // Fonts: the list font and the phonetic font of the same height.
    dialogFont_ = font();
    fontType_ = config.fontType;
    const int height = listFontHeight(fontType_);
    listFont_ = ui::defaultDialogFont();
    listFont_.setPixelSize(height);
    res::loadPhoneticFont(programFolder);
    phoneticFont_ = res::phoneticFont(height);
    list_->setFonts(fontType_, listFont_, phoneticFont_);

    // Which Book, with the questions on the way.
    Book& book = session_.book();
    book.path = resolveBookPath(config.bookPath, programFolder, ask, this, env);
    book.name = resolveBookName(book.path, config.bookName, ask, this, env);
    // Damaged records a load had to leave out: said once per load, with where the files are kept.
    connect(&session_, &BookSession::loaded, this, [this](const LoadReport& report) {
        if (const QString notice = damageNotice(session_.book(), report); !notice.isEmpty())
            services_.ui->messageBox(this, notice);
        if (session_.readOnly())
            services_.ui->messageBox(this, readOnlyNotice(session_.book().name));
    });
    session_.setLockFolder(services_.runtimeDir);
    session_.load(loadHooks());

    // The focused row of the last run: current again, not selected (so that it carries on to the
    // next run even when the learner touches nothing). The view scrolls a current row set while
    // hidden into view when it is first shown.
    if (config.focusedItem >= 0 && config.focusedItem < list_->itemCount())
        list_->selectionModel()->setCurrentIndex(list_->model()->index(config.focusedItem, 0),
                                                 QItemSelectionModel::NoUpdate);

    CompanionLink::Deps link;
    link.link = services_.link;
    link.events = services_.events;
    link.launcher = services_.launcher;
    link.ui = services_.ui;
    link.owner = this;
    link.programFolder = programFolder;
    link.executable = services_.companionExecutable;
    companion_ = std::make_unique<CompanionLink>(link);
}

void CLexoraDlg::shutDown(Profile& profile)
{
    if (shutDown_)
        return;
    shutDown_ = true;
    if (speech_)
        speech_->shutDown(&profile);
    if (session_.book().saveOnExit)
        onCommand(cmd::kSave, 0);

    WordBookExitState s;
    s.voicePath = speech_ ? speech_->voiceFolder() : QString();
    s.ttsDisabled = speech_ && speech_->ttsDisabled();
    s.bookPath = session_.book().path;
    s.bookName = session_.book().name;
    s.isCase = isToggleChecked(cmd::kToggleCase);
    s.focusedItem = list_->focusedRow();
    s.background = list_->backgroundColor();
    s.fontType = fontType_;
    s.columnWidths = list_->columnWidths();
    writeWordBookConfig(profile, s);
}

bool CLexoraDlg::onCommand(int id, qintptr param)
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
    case cmd::kSave:
        save();
        return true;
    case cmd::kDelete:
        deleteSelected(param);
        return true;
    case cmd::kShuffle:
        history_->shuffle(*clockOf(services_), *randomOf(services_));
        return true;
    case cmd::kRenumber:
        history_->renumber();
        return true;
    case cmd::kUndo:
        history_->undo();
        return true;
    case cmd::kRedo:
        history_->redo();
        return true;
    case cmd::kImport:
        openImportExport(true);
        return true;
    case cmd::kExport:
        if (requireSelection(1, QStringLiteral("请选择单词再导出.要导出全部可按Ctrl-A")))
            openImportExport(false);
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
        openFind();
        return true;
    case cmd::kSettings:
        openSettings();
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
    case cmd::kLearn:
    case cmd::kDrill:
    case cmd::kListen:
        runPracticeCommand(id);
        return true;
    case cmd::kTodayReview:
        openTodayReview();
        return true;
    default:
        return false;
    }
}

bool CLexoraDlg::requireSelection(int minimum, const QString& message)
{
    if (list_->selectedCount() >= minimum)
        return true;
    services_.ui->messageBox(this, message);
    return false;
}

void CLexoraDlg::onToggle(int id)
{
    if (id == cmd::kToggleCase) {
        list_->redrawAll();
        return;
    }
    CImageButton* self = toggle(id);
    CImageButton* other = toggle(id == cmd::kToggleWord ? cmd::kToggleExplanation : cmd::kToggleWord);
    const bool on = self->check();
    // One of the two columns always shows.
    if (!on && !other->check())
        other->setCheck(true);
    session_.setRevealAll(on);
    list_->redrawAll();   // the toggles themselves are read while drawing
}

SaveQuestions CLexoraDlg::saveQuestions()
{
    SaveQuestions q;
    q.askSaveAs = [this](const QString& text) {
        return services_.ui->messageBox(this, text, {}, MessageButtons::YesNo) == MessageAnswer::Yes;
    };
    q.chooseFile = [this](const QString& initialPath, const QString& filter) {
        return services_.ui->saveFileName(this, initialPath, filter);
    };
    return q;
}

bool CLexoraDlg::save()
{
    // A save-as that gives the Book another name reaches the status bar through the session.
    return session_.save(saveQuestions()).ok();
}

BookFileHooks CLexoraDlg::loadHooks()
{
    BookFileHooks hooks;
    hooks.oldIndexFormRead = [this] {
        services_.ui->openExternally(programFolder_ + QStringLiteral("/ReportError.txt"));
    };
    return hooks;
}

void CLexoraDlg::deleteSelected(qintptr param)
{
    const std::vector<int> rows = list_->selectedRows();
    const bool go = confirmDeletion(session_.book(), int(rows.size()), param, [this](const QString& text, bool* dontAsk) {
        CMyDeleteCheck dialog(text, this);
        const int result = services_.ui->runModal(&dialog);
        *dontAsk = dialog.dontAskAgain();
        return result == QDialog::Accepted;
    });
    if (!go)
        return;
    const DeleteOutcome out = history_->deleteRows(rows);
    if (out.removed > 0 && !out.cleared)
        list_->focusRow(out.selectRow);
}

void CLexoraDlg::addOrModify(bool modify)
{
    CMyAddModifyDialog::Inputs in;
    in.mode = modify ? CMyAddModifyDialog::Mode::Modify : CMyAddModifyDialog::Mode::Add;
    in.row = modify ? list_->focusedRow() : -1;
    if (modify && in.row < 0)
        return;
    in.session = &session_;
    in.history = history_.get();
    in.clock = clockOf(services_);
    in.profile = profile_.get();
    in.lookUp = [this](QStringView word, QString& explanation, QString& phonetic) {
        return dict_.LookUpWord(word, explanation, phonetic);
    };
    in.phoneticFont = phoneticFont_;
    CMyAddModifyDialog dialog(in, this);
    // Each added word is the one row selected, focused and shown.
    connect(&dialog, &CMyAddModifyDialog::added, list_, &CMyListCtrl::setFocusedRow);
    const int result = services_.ui->runModal(&dialog);
    if (modify && result != QDialog::Rejected)
        list_->setFocusedRow(in.row);
    list_->setFocus();
}

void CLexoraDlg::openFind()
{
    if (find_) {
        // One find window at a time; a second request brings it forward.
        find_->raise();
        find_->activateWindow();
        return;
    }
    find_ = new CMyFindDialog(&session_, list_, services_.ui, profile_.get(), this);
    find_->show();
}

void CLexoraDlg::assignClassName()
{
    const std::vector<int> rows = list_->selectedRows();
    if (rows.empty())
        return;
    CMyNameClass dialog(profile_.get(), this);
    if (services_.ui->runModal(&dialog) != QDialog::Accepted)
        return;
    history_->setClassName(rows, dialog.className());
}

void CLexoraDlg::filterSelection()
{
    if (!requireSelection(2, QStringLiteral("必须有多个选择项才有意义，此过滤器用于练习过后\n方便通过临时陌生度改变其它陌生度")))
        return;
    CMySelFilter dialog(this);
    if (services_.ui->runModal(&dialog) != QDialog::Accepted)
        return;
    const Book& book = session_.book();
    list_->narrowSelection([&](int row) {
        const WordEntry* e = book.atView(row);
        return e && dialog.keeps(e->temporary);
    });
}

void CLexoraDlg::groups(bool moveMode)
{
    const std::vector<int> rows = list_->selectedRows();
    if (moveMode && rows.empty())
        return;
    CMyCategory::Inputs in;
    in.folder = session_.book().path;
    in.openName = session_.book().name;
    in.moveMode = moveMode;
    in.env = envOf(services_);
    in.ui = services_.ui;
    CMyCategory dialog(in, this);
    if (services_.ui->runModal(&dialog) == QDialog::Accepted) {
        if (!moveMode) {
            session_.switchBook(in.folder, dialog.chosenName(), dialog.discard(), saveQuestions(), loadHooks());
        } else {
            DeleteOutcome out;
            const QString error = history_->appendRowsTo(rows, dialog.chosenName(), dialog.move(), &out);
            if (!error.isEmpty())
                services_.ui->messageBox(this, error);
            else if (out.removed > 0 && !out.cleared)
                list_->focusRow(out.selectRow);
        }
    }
    updateStatusText();
}

void CLexoraDlg::bindHistoryActions(QMenu* menu)
{
    history_->bindMenu(menu, cmd::kUndo, cmd::kRedo);
}

bool CLexoraDlg::isToggleChecked(int controlId) const
{
    const CImageButton* b = toggle(controlId);
    return b && b->check();
}

void CLexoraDlg::setSelectionText(const QString& text) { panes_[1]->setText(text); }

void CLexoraDlg::SpeakWord(const QString& word)
{
    if (speech_)
        speech_->SpeakWord(word);
}

bool CLexoraDlg::lookUpWord(QStringView word, QString& explanation, QString& phonetic)
{
    return dict_.LookUpWord(word, explanation, phonetic);
}

void CLexoraDlg::showStatusText(const QString& text) { panes_[0]->setText(text); }

void CLexoraDlg::startStatusAnimation() { animation_->start(); }

void CLexoraDlg::sendRowToCompanion(int row)
{
    const WordEntry* e = session_.book().atView(row);
    if (e && companion_)
        companion_->SendWordToCompanion(e->word().toString(), 0);
}

void CLexoraDlg::updateStatusText()
{
    statusText_ = QStringLiteral("Book:") + session_.book().name;
    panes_[0]->setText(statusText_);
}

void CLexoraDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), kBackground);
}

void CLexoraDlg::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    layoutChildren();
}

void CLexoraDlg::layoutChildren()
{
    const int w = width(), h = height();
    statusBar_->setGeometry(0, h - kStatusBarHeight, w, kStatusBarHeight);
    if (list_) {
        const QPoint topLeft = list_->geometry().topLeft();
        list_->setGeometry(topLeft.x(), topLeft.y(), qMax(0, w - topLeft.x()),
                           qMax(0, h - kStatusBarHeight - 1 - topLeft.y()));
    }
}

void CLexoraDlg::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (list_)
        list_->setFocus();
}

} // namespace lex
