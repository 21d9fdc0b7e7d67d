#include "glosix/glosix_dlg.h"

#include "common/config/config_keys.h"
#include "common/frame/window_list.h"
#include "common/platform/link_protocol.h"
#include "common/platform/named_event.h"
#include "common/platform/qt_user_services.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/speech/speech_output.h"
#include "common/ui/template_builder.h"
#include "glosix/history_dlg.h"
#include "glosix/selection_word.h"
#include "glosix/window_rect.h"
#include "resources/resources.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDebug>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>

namespace lex {

using namespace config;
namespace id = res::glosix;

// What the window shows, for scripts that drive it (QT_LOGGING_RULES="lexora.glosix.info=true").
Q_LOGGING_CATEGORY(lcGlosix, "lexora.glosix", QtWarningMsg)

namespace {
constexpr int kSettleMs = 250;          // a drag has ended when the window stopped moving this long
constexpr int kPlacementQuietMs = 500;  // moves this soon after showing are the initial placement
constexpr int kButtonGap = 3;           // between the buttons of the tool row
} // namespace

CGlosixDlg::CGlosixDlg(const GlosixServices& services, QString programFolder, QWidget* parent)
    : ui::CommandDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                    | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      services_(services),
      programFolder_(std::move(programFolder)),
      profile_(programFolder_ + QLatin1Char('/') + kFileName, orDefault(services.env)),
      history_(orDefault(services.env), services.historyPath, orDefault(services.clock))
{
    const ui::DialogTemplate& t = res::glosixTemplate();
    ui::TemplateBuilder builder(t);
    builder.routeTo(this);
    controls_ = builder.build(this);
    resize(builder.clientSize(font()));
    setMinimumSize(glosixMinimumClientSize(QMargins()));   // until the frame is known
    setSizeGripEnabled(false);

    input_ = qobject_cast<QLineEdit*>(controls_.value(id::IDC_INPUT));
    text_ = qobject_cast<QTextEdit*>(controls_.value(id::IDC_TEXT));
    list_ = qobject_cast<QListWidget*>(controls_.value(id::IDC_LIST));
    toggle_ = qobject_cast<QPushButton*>(controls_.value(id::IDC_TOGGLE));
    lookUp_ = qobject_cast<QPushButton*>(controls_.value(id::IDC_LOOKUP));
    addToButton_ = qobject_cast<QPushButton*>(controls_.value(id::IDC_ADDTO));
    status_ = qobject_cast<QLabel*>(controls_.value(id::IDC_STATUS));
    Q_ASSERT(input_ && text_ && list_ && toggle_ && lookUp_ && addToButton_ && status_);
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(false);
    addToButton_->setFocusPolicy(Qt::StrongFocus);   // Tab reaches it once it is enabled
    addToButton_->setToolTip(QStringLiteral("把这个单词添加到词库 (Ctrl+D)"));
    auto* addKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(addKey, &QShortcut::activated, this, [this] { onCommand(id::IDC_ADDTO, 0); });
    auto* sensesKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(sensesKey, &QShortcut::activated, this, [this] { toggleAllSenses(); });
    auto* historyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(historyKey, &QShortcut::activated, this, [this] { onCommand(id::IDM_HISTORY, 0); });
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this, clipboard] {
            if (watchClipboard_)
                clipboardChanged(clipboard->text(), clipboard->ownsClipboard());
        });
    connect(input_, &QLineEdit::textChanged, this, [this] {
        setStatus({});   // about a word no longer in the box
        updateAddTo();
    });
    GlosixAddTo::Deps add;
    add.link = services_.link;
    add.env = services_.env;
    add.runtimeDir = services_.runtimeDir;
    add.clock = services_.clock;
    add.programFolder = programFolder_;
    addTo_ = std::make_unique<GlosixAddTo>(add);
    // Any word Lexora can send fits, to the last code unit.
    input_->setMaxLength(int(kLinkMaxWordBytes / 2));
    // An entry is text: never read as HTML, whatever it contains.
    text_->setAcceptRichText(false);
    text_->setUndoRedoEnabled(false);
    text_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(text_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = text_->createStandardContextMenu();
        menu->addSeparator();
        addMenuItems(menu);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(text_->viewport()->mapToGlobal(at));
    });
    for (int b : {id::IDC_TOGGLE, id::IDC_SPEAK, id::IDC_ADDTO, id::IDC_SETUP, id::IDC_LOOKUP})
        if (QPushButton* p = button(b))
            p->setAutoDefault(false);
    lookUp_->setDefault(true);
}

CGlosixDlg::~CGlosixDlg() = default;

QPushButton* CGlosixDlg::button(int controlId) const
{
    return qobject_cast<QPushButton*>(controls_.value(controlId));
}

void CGlosixDlg::initialise()
{

    // The dictionary: one message per file that cannot be mapped; look-ups then find nothing.
    const QStringList unopened = dict_.openFolder(programFolder_ + QStringLiteral("/Dict"));
    for (const QString& path : unopened)
        if (services_.ui)
            services_.ui->messageBox(this, QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + path);
    if (unopened.isEmpty()) {
        forms_.openIndex(programFolder_ + QStringLiteral("/Dict/21ct.idx"));   // an index without forms has none
        accents_.openIndex(programFolder_ + QStringLiteral("/Dict/21ct.idx"));   // nor one without the IPA block
    }
    english_ = readEnglishSettings(profile_);
    wordnet_ = std::make_unique<WordNet>(services_.env);
    if (english_.senses)
        wordnet_->open(WordNet::defaultFolder());
    shelf_.setOwn(&dict_, &forms_);
    openStarDicts();

    forbidWinStick_ = profile_.readInt(kInit, kIsForbidWinStick, kDefaultIsForbidWinStickGlosix) != 0;
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->geometry();
    const Rect r = glosixStartRect(unpackRect(profile_.readStruct(kInit, kGlosixDlgSize, kRectSize).value_or(QByteArray())),
                                   screens);
    // The window rectangle, frame included; the frame's size is known once the window is shown.
    startRect_ = r;
    setGeometry(glosixClientGeometry(r, frameMargins()));

    SpeechDeps deps;
    deps.engine = services_.tts;
    deps.player = services_.player;
    deps.events = services_.events;
    deps.ui = services_.ui;
    deps.owner = this;
    deps.env = services_.env;
    speech_ = std::make_unique<SpeechOutput>(SpeechProgram::Companion, deps);
    speech_->initialise(profile_, programFolder_);

    fonts_.text = text_->font();

    // Lexora may be waiting for us; started by hand nobody is.
    if (services_.events)
        if (std::unique_ptr<NamedEvent> ready = services_.events->open(kReadyEvent))
            ready->set();

    // The history is read after Lexora was told: a damaged file's message must not hold it up.
    const LookUpHistory::Opened opened = history_.open();
    QString damage;
    if (opened == LookUpHistory::Opened::SetAside)
        damage = QStringLiteral("查词记录文件已损坏，已改名保存为\n%1\n从现在起重新记录。").arg(history_.setAsidePath());
    else if (opened == LookUpHistory::Opened::Unusable)
        damage = QStringLiteral("查词记录文件已损坏，本次运行的查询不会被记录：\n%1").arg(history_.path());
    if (!damage.isEmpty() && services_.ui)
        QTimer::singleShot(0, this, [this, damage] {
            if (!closed_)
                services_.ui->messageBox(this, damage);
        });
    watchClipboard_ = profile_.readInt(kInit, kGlosixWatchClipboard, 0) != 0;

    listPaneFirstToggle_ = true;
    togglePane();
    layoutControls();
    // The toggle leaves the focus on "查询": Enter looks up what Lexora or the learner put in the box.
    qCInfo(lcGlosix, "ready");
}

void CGlosixDlg::openStarDicts()
{
    Env* env = orDefault(services_.env);
    // The program folder's Dict/ sub-folders, then the shared folders (LEXORA_STARDICT_PATH).
    const QStringList folders = starDictFolders(programFolder_, env);
    // In the order and with the choice the learner made on Lexora's settings page. A dictionary
    // that cannot be read is left out; the window starts without asking about it.
    QStringList problems;
    shelf_.addStarDicts(env, enabledStarDicts(starDictChoices(profile_, programFolder_, folders)), &problems);
    for (const QString& p : problems)
        qWarning().noquote() << "StarDict dictionary left out:" << p;
    qCInfo(lcGlosix) << "StarDict dictionaries" << shelf_.starDictCount();
}

bool CGlosixDlg::entryText(const QString& word, QString* text) const
{
    QStringList problems;
    const std::vector<ShelfEntry> entries = shelf_.lookUp(word, &problems);
    for (const QString& p : problems)
        qWarning().noquote() << p;
    if (entries.empty()) {
        text->clear();
        return false;
    }
    // The English parts go under the own entry, before the StarDict dictionaries' entries.
    std::vector<ShelfEntry> shown = entries;
    auto own = shown.begin();
    while (own != shown.end() && own->source.isEmpty()) {
        if (!english_.definition)
            own->text = withoutEnglishDefinition(own->text);
        ++own;
    }
    const QString headword = shown.front().source.isEmpty() ? shown.front().headword : word;
    AccentIpa ipa;
    if (english_.phonetics) {
        ipa.uk = accents_.find(headword, Accent::UK);
        ipa.us = accents_.find(headword, Accent::US);
    }
    std::vector<WordSense> senses;
    if (english_.senses && wordnet_ && wordnet_->isOpen())
        senses = wordnet_->senses(headword.toLower(), &forms_);
    // The accent first, as Lexora's settings have it now.
    const Accent accent = accentFromSetting(profile_.readString(QString::fromLatin1(kAccentSection), QString::fromLatin1(kAccentKey)));
    const QString english = englishSectionsText(ipa, accent, senses, english_, allSenses_);
    if (!english.isEmpty())
        shown.insert(own, ShelfEntry{{}, headword, {}, english});
    *text = shelfText(shown);
    return true;
}

void CGlosixDlg::toggleAllSenses()
{
    allSenses_ = !allSenses_;
    if (!shownWord_.isEmpty()) {
        const int at = text_->verticalScrollBar()->value();
        showWord(shownWord_, false);
        text_->verticalScrollBar()->setValue(at);   // the learner reads on where the fold was
    }
}

bool CGlosixDlg::onCommand(int cmd, qintptr param)
{
    switch (cmd) {
    case id::IDC_LOOKUP:
    case ui::IDOK:
        lookUp();
        return true;
    case id::IDC_SPEAK:
        speak();
        return true;
    case id::IDC_TOGGLE:
        togglePane();
        return true;
    case id::IDC_ADDTO:
        if (addToButton_->isEnabled())
            addToBook();
        return true;
    case res::IDM_ABOUTBOX:
        showAbout();
        return true;
    case id::IDM_HISTORY:
        if (CHistoryDlg* h = historyWindow())
            bringToFront(h);
        return true;
    case id::IDM_WATCH_CLIPBOARD:
        setClipboardWatch(!watchClipboard_);
        return true;
    case ui::IDCANCEL:
        closeWindow();
        return true;
    default:
        return ui::CommandDialog::onCommand(cmd, param);
    }
}

void CGlosixDlg::accept()
{
    onCommand(ui::IDOK, 0);
}

void CGlosixDlg::lookUp()
{
    const QString word = input_->text();
    if (!showWord(word, true)) {
        qCInfo(lcGlosix) << "look-up not found" << word;
        return;   // the previous entry stays, nothing is spoken
    }
    qCInfo(lcGlosix) << "look-up shown" << word;
    speak(word);
}

bool CGlosixDlg::showWord(const QString& word, bool count)
{
    if (word != shownWord_)
        allSenses_ = false;   // each new word opens folded
    QString entry;
    if (!entryText(word, &entry))
        return false;
    ShowEntryText(entry);   // from the top
    entryShown(word);
    // Only words a dictionary knows: a typo is not worth keeping.
    if (count) {
        if (const Status s = history_.record(word); !s)
            qWarning().noquote() << "The look-up history cannot be written:" << s.message();
        if (historyDlg_)
            historyDlg_->refresh();
    }
    return true;
}

CHistoryDlg* CGlosixDlg::historyWindow()
{
    if (!historyDlg_) {
        CHistoryDlg::Host host;
        host.history = &history_;
        host.addTo = addTo_.get();
        host.ui = services_.ui;
        host.programFolder = programFolder_;
        historyDlg_ = new CHistoryDlg(host, this);
        connect(historyDlg_, &CHistoryDlg::wordChosen, this, [this](const QString& word) {
            input_->setText(word);
            const bool found = showWord(word, false);   // reading it again is no new look-up
            qCInfo(lcGlosix) << (found ? "history word shown" : "history word not found") << word;
        });
    }
    return historyDlg_;
}

void CGlosixDlg::setClipboardWatch(bool on)
{
    watchClipboard_ = on;
    profile_.writeInt(kInit, kGlosixWatchClipboard, on ? 1 : 0);
    qCInfo(lcGlosix) << "clipboard watch" << on;
}

bool CGlosixDlg::clipboardChanged(const QString& text, bool ownCopy)
{
    if (closed_)
        return false;
    const QString word = copiedWord(text, ownCopy);
    if (word.isEmpty() || (word == shownWord_ && input_->text() == word))
        return false;   // not a word, or the one on screen already
    input_->setText(word);
    const bool found = showWord(word, true);
    if (found) {
        // Into view, but the focus stays where the learner copied the word.
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
    }
    qCInfo(lcGlosix) << (found ? "copied word shown" : "copied word not found") << word;
    return found;
}

void CGlosixDlg::speak()
{
    speak(input_->text());
}

void CGlosixDlg::speak(const QString& word)
{
    if (!speech_)
        return;
    // The voice Lexora's settings chose since this window started is heard at once.
    speech_->followLearnersVoice(profile_);
    speech_->SpeakWord(word);
}

void CGlosixDlg::receiveWord(const QString& word, uint32_t raiseFlag)
{
    if (closed_)
        return;
    if (raiseFlag != 1)
        bringToFront(this);
    input_->setText(word);
    // Not spoken. A word that brings the window up is one the learner asked for; the words the
    // practice window follows with (raise flag 1) are not look-ups.
    const bool found = showWord(word, raiseFlag != 1);
    qCInfo(lcGlosix) << (found ? "word shown" : "word not found") << word;
}

void CGlosixDlg::entryShown(const QString& word)
{
    shownWord_ = word;
    setStatus({});
    updateAddTo();
}

void CGlosixDlg::updateAddTo()
{
    // Only the word whose entry is on screen: a half-typed word in the box is not it.
    addToButton_->setEnabled(!shownWord_.isEmpty() && input_->text() == shownWord_
                             && !GlosixAddTo::storedForm(shownWord_.trimmed()).isEmpty());
}

void CGlosixDlg::setStatus(const QString& text)
{
    status_->setText(text);
    status_->setToolTip(text);
}

QString CGlosixDlg::statusText() const
{
    return status_->text();
}

AddToResult CGlosixDlg::addToBook()
{
    const QString word = shownWord_.trimmed();
    const AddToResult r = addTo_->add(word);
    const QString text = GlosixAddTo::describe(r, word);
    setStatus(text);
    qCInfo(lcGlosix).noquote() << "addto" << int(r.kind) << text;
    return r;
}

void CGlosixDlg::ShowEntryText(QStringView text)
{
    lex::ShowEntryText(text_, text, fonts_);
}

void CGlosixDlg::showAbout()
{
    if (services_.ui)
        services_.ui->messageBox(this, kAboutText, QStringLiteral("关于 Glosix"), MessageButtons::Ok,
                                 MessageIcon::Information);
}

void CGlosixDlg::addMenuItems(QMenu* menu)
{
    QAction* history = menu->addAction(QStringLiteral("查词记录(&H)..."));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(history, &QAction::triggered, this, [this] { ui::postCommand(this, this, id::IDM_HISTORY); });
    QAction* senses = menu->addAction(QStringLiteral("全部英文释义(&E)"));
    senses->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    senses->setCheckable(true);
    senses->setChecked(allSenses_);
    connect(senses, &QAction::triggered, this, [this] { toggleAllSenses(); });
    QAction* watch = menu->addAction(QStringLiteral("监视剪贴板(&W)"));
    watch->setCheckable(true);
    watch->setChecked(watchClipboard_);
    watch->setToolTip(QStringLiteral("复制一个英语单词时自动查询"));
    connect(watch, &QAction::triggered, this, [this] { ui::postCommand(this, this, id::IDM_WATCH_CLIPBOARD); });
    menu->addSeparator();
    QAction* about = menu->addAction(kAboutMenuText);
    connect(about, &QAction::triggered, this, [this] { ui::postCommand(this, this, res::IDM_ABOUTBOX); });
}

void CGlosixDlg::contextMenuEvent(QContextMenuEvent* e)
{
    // The window menu, reachable from anywhere on the window: the history, the clipboard watch and
    // the system menu's about item.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addMenuItems(menu);
    menu->popup(e->globalPos());
}

void CGlosixDlg::togglePane()
{
    lookUp_->setFocus();
    const QRect pane = list_->geometry();
    int x;
    if (!list_->isHidden() || listPaneFirstToggle_) {
        list_->hide();
        toggle_->setText(QStringLiteral(">"));
        x = pane.left();
        listPaneFirstToggle_ = false;
    } else {
        list_->show();
        toggle_->setText(QStringLiteral("<"));
        x = pane.left() + pane.width();
    }
    toggle_->move(x, toggle_->y());
    const QRect t = text_->geometry();
    const int right = t.left() + t.width();
    text_->setGeometry(x, t.top(), right - x, t.height());
    QWidget* before = toggle_;
    for (int b : {id::IDC_SPEAK, id::IDC_ADDTO, id::IDC_SETUP}) {
        QWidget* w = controls_.value(b);
        w->move(before->x() + before->width() + kButtonGap, w->y());
        before = w;
    }
    const int statusLeft = before->x() + before->width() + 2 * kButtonGap;
    status_->setGeometry(statusLeft, status_->y(), std::max(0, width() - 2 - statusLeft), status_->height());
}

void CGlosixDlg::layoutControls()
{
    const int w = width(), h = height();
    const QRect pane = list_->geometry();
    list_->setGeometry(pane.left(), pane.top(), pane.width(), std::max(0, h - 1 - pane.top()));
    const QRect t = text_->geometry();
    text_->setGeometry(t.left(), t.top(), std::max(0, w - 1 - t.left()), std::max(0, h - 1 - t.top()));
    const QRect b = lookUp_->geometry();
    lookUp_->move(w - 2 - b.width(), b.top());
    const QRect in = input_->geometry();
    input_->setGeometry(in.left(), in.top(), std::max(0, lookUp_->x() - 5 - in.left()), in.height());
    const QRect st = status_->geometry();
    status_->setGeometry(st.left(), st.top(), std::max(0, w - 2 - st.left()), st.height());
}

void CGlosixDlg::resizeEvent(QResizeEvent* e)
{
    ui::CommandDialog::resizeEvent(e);
    layoutControls();
}

QMargins CGlosixDlg::frameMargins() const
{
    const QRect f = frameGeometry(), g = geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

void CGlosixDlg::moveEvent(QMoveEvent* e)
{
    ui::CommandDialog::moveEvent(e);
    const QPoint at = frameGeometry().topLeft();
    const QPoint from = dragBase_;
    dragBase_ = at;
    if (selfMoved_ && at == applied_) {
        selfMoved_ = false;   // our own snap, honoured: the next move of the drag starts from here
        return;
    }
    if (shownAtMs_ < 0 || QDateTime::currentMSecsSinceEpoch() - shownAtMs_ < kPlacementQuietMs) {
        placeFrame();   // the window manager placing the window, not the learner dragging it
        return;
    }
    if (!isVisible() || isMaximized() || isMinimized() || forbidWinStick_ || closed_)
        return;
    // Each move of the window manager's drag is one moving step of the snapping rule, as in
    // Lexora's own frame: the rule follows the offsets, so the window lets go 10 pixels on.
    const QSize size = frameGeometry().size();
    if (!snapper_.isDragging())
        snapper_.beginDrag(EdgeRect::fromQRect(QRect(from, size)));
    EdgeRect proposed = snapper_.last();
    proposed.moveTo(proposed.left + at.x() - from.x(), proposed.top + at.y() - from.y());
    const std::vector<EdgeRect> others = windowSource_ ? windowSource_(this) : otherWindowRects(this);
    const EdgeRect to = snapper_.moving(proposed, others, false);
    // The drag ends when the moves rest.
    settleTimer_.start(kSettleMs, this);
    placeAt(QPoint(to.left, to.top));
}

void CGlosixDlg::placeFrame()
{
    // The stored rectangle is the frame's; the window manager tells the frame's size only once it
    // has framed the window (at showing, or with its first placement moves). Placed once, or each
    // run would store the window shifted by its title bar.
    const QMargins frame = frameMargins();
    if (frame.isNull())
        return;
    // The minimum size is the whole window's: the client area may be smaller by the frame.
    setMinimumSize(glosixMinimumClientSize(frame));
    if (framePlaced_ || !startRect_ || (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    framePlaced_ = true;
    setGeometry(glosixClientGeometry(*startRect_, frame));
}

void CGlosixDlg::placeAt(QPoint topLeft)
{
    if (frameGeometry().topLeft() == topLeft)
        return;
    applied_ = topLeft;
    selfMoved_ = true;
    move(topLeft);
}

void CGlosixDlg::showEvent(QShowEvent* e)
{
    ui::CommandDialog::showEvent(e);
    if (shownAtMs_ < 0)
        shownAtMs_ = QDateTime::currentMSecsSinceEpoch();
    placeFrame();
    dragBase_ = frameGeometry().topLeft();
}

void CGlosixDlg::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == settleTimer_.timerId()) {
        settleTimer_.stop();
        // A window manager that kept the window under the mouse during the drag: the snap
        // lands now, where the rule put it.
        const EdgeRect last = snapper_.last();
        snapper_.endDrag();
        if (!last.isEmpty() && !forbidWinStick_ && !isMaximized() && !isMinimized() && !closed_)
            placeAt(QPoint(last.left, last.top));
        return;
    }
    ui::CommandDialog::timerEvent(e);
}

void CGlosixDlg::settleMove()
{
    snapper_.endDrag();
    if (forbidWinStick_ || isMaximized() || isMinimized())
        return;
    const std::vector<EdgeRect> others = windowSource_ ? windowSource_(this) : otherWindowRects(this);
    const EdgeRect here = EdgeRect::fromQRect(frameGeometry());
    EdgeSnapper snapper;
    snapper.beginDrag(here);
    const EdgeRect to = snapper.moving(here, others, false);
    placeAt(QPoint(to.left, to.top));
}

void CGlosixDlg::closeWindow()
{
    if (closed_)
        return;
    closed_ = true;
    settleTimer_.stop();
    if (speech_)
        speech_->shutDown(nullptr);   // the companion writes no speech key
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        profile_.writeStruct(kInit, kGlosixDlgSize, packRect(glosixWindowRect(frameGeometry())));
    }
    qCInfo(lcGlosix, "closed");
    endDialog(QDialog::Rejected);
}

} // namespace lex
