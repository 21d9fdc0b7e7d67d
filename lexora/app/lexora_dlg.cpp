#include "lexora/app/lexora_dlg.h"

#include "common/config/profile.h"
#include "common/controls/image_button.h"
#include "common/platform/sources.h"
#include "common/ui/dialog_units.h"
#include "common/ui/template_builder.h"
#include "lexora/app/word_book_dialogs.h"
#include "lexora/wordlist/history_menu.h"
#include "lexora/wordlist/find_dialog.h"
#include "resources/phonetic_font.h"
#include "resources/resources.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace lex {

namespace {

Clock* clockOf(const AppServices& s) { return orDefault(s.clock); }

QLabel* makePane(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setContentsMargins(2, 0, 2, 0);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// The longest texts panes 1 and 2 show: a million selected rows must not be cut off.
void fitPaneWidth(QLabel* pane, const QString& longest)
{
    const int frame = 2 * pane->frameWidth();
    const QMargins m = pane->contentsMargins();
    const int needed = pane->fontMetrics().horizontalAdvance(longest) + frame + m.left() + m.right() + 2;
    pane->setFixedWidth(qMax(CLexoraDlg::kPaneWidth, needed));
}

} // namespace

CLexoraDlg::CLexoraDlg(const AppServices& services, QWidget* parent)
    : QWidget(parent), dialogs_(std::make_unique<WordBookPageDialogs>(*this)),
      controller_(std::make_unique<WordBookController>(services, this, dialogs_.get(), this))
{
    dialogs_->attach(controller_.get());
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    for (int i = 0; i < 4; ++i) {
        panes_[i] = makePane(statusBar_);
        layout->addWidget(panes_[i], i == 0 ? 1 : 0);
    }
    fitPaneWidth(panes_[1], QStringLiteral("已选:1000000"));
    fitPaneWidth(panes_[2], QStringLiteral("已学:0"));
    panes_[3]->hide();

    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_LEXORA_DIALOG));
    builder.withKind(ui::Kind::CheckBox, createImageButton)
        .withControl(cmd::kList, [this](const ui::ControlSpec&, QWidget* parent) -> QWidget* {
            return new CMyListCtrl(this, &controller_->session(), clockOf(controller_->services()), parent);
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
    return pane >= 0 && pane < 4 ? panes_[pane]->text() : QString();
}

void CLexoraDlg::initialise(const QString& programFolder, Profile& profile, bool* forbidWinStick)
{
    controller_->initialise(programFolder, profile, forbidWinStick,
                            [&](const WordBookConfig& config) { applyConfig(config, programFolder); });
}

void CLexoraDlg::applyConfig(const WordBookConfig& config, const QString& programFolder)
{
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
}

void CLexoraDlg::shutDown(Profile& profile)
{
    WordBookExitState s;
    s.isCase = isToggleChecked(cmd::kToggleCase);
    s.background = list_->backgroundColor();
    s.fontType = fontType_;
    s.columnWidths = list_->columnWidths();
    controller_->shutDown(profile, std::move(s));
}

void CLexoraDlg::setFontType(int fontType)
{
    fontType_ = qBound(0, fontType, 2);
    const int height = listFontHeight(fontType_);
    listFont_.setPixelSize(height);
    phoneticFont_.setPixelSize(height);
    // The list takes both fonts, its row height and the hover tip's line spacing from the type.
    list_->setFonts(fontType_, listFont_, phoneticFont_);
}

void CLexoraDlg::bindHistoryActions(QMenu* menu)
{
    bindHistoryMenu(menu, controller_->history(), cmd::kUndo, cmd::kRedo);
}

CMyFindDialog* CLexoraDlg::findDialog() const { return dialogs_->findDialog(); }

bool CLexoraDlg::isToggleChecked(int controlId) const
{
    const CImageButton* b = toggle(controlId);
    return b && b->check();
}

void CLexoraDlg::setToggleChecked(int controlId, bool on)
{
    if (CImageButton* b = toggle(controlId))
        b->setCheck(on);
}

void CLexoraDlg::setSelectionText(const QString& text) { panes_[1]->setText(text); }

void CLexoraDlg::setPaneText(int pane, const QString& text)
{
    if (pane >= 0 && pane < 4)
        panes_[pane]->setText(text);
    if (pane == 3) {
        fitPaneWidth(panes_[3], text);
        panes_[3]->setVisible(!text.isEmpty());
    }
}

bool CLexoraDlg::lookUpWord(QStringView word, QString& explanation, QString& phonetic)
{
    return controller_->dictionary().LookUpWord(word, explanation, phonetic);
}

std::vector<int> CLexoraDlg::selectedRows() const { return list_->selectedRows(); }

int CLexoraDlg::focusedRow() const { return list_->focusedRow(); }

void CLexoraDlg::showRow(int row, bool keyboardFocus)
{
    if (keyboardFocus)
        list_->focusRow(row);
    else
        list_->setFocusedRow(row);
}

void CLexoraDlg::scrollToRow(int row) { list_->scrollToRow(row); }

void CLexoraDlg::selectRows(const std::vector<int>& rows)
{
    // Selecting tens of thousands of scattered rows takes the list a moment.
    const bool slow = rows.size() > 20000;
    if (slow)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    list_->selectRows(rows);
    if (slow)
        QGuiApplication::restoreOverrideCursor();
}

void CLexoraDlg::narrowSelection(const std::function<bool(int row)>& keep) { list_->narrowSelection(keep); }

void CLexoraDlg::focusList() { list_->setFocus(); }

void CLexoraDlg::redrawList() { list_->redrawAll(); }

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
