#include "lexora/wordlist/list_book_dialog.h"

#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace lex {

using namespace res::list_book_dlg;

CMyListBookDialog::CMyListBookDialog(ListBookForm& form, UserServices* ui, const Clock& clock, QWidget* parent)
    : ui::TemplateDialog(parent), form_(form), ui_(ui), clock_(clock)
{
    buildFrom(res::dialogTemplate(res::IDD_LIST_BOOK));
    lists_ = item<QListWidget>(kLists);
    expression_ = item<QLineEdit>(kExpression);
    name_ = item<QLineEdit>(kName);
    for (const NamedList& l : form_.lists()) {
        const QString term = listTermName(l.term);
        auto* row = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(term).arg(l.count), lists_);
        row->setData(Qt::UserRole, term);
    }
    if (lists_->count())
        lists_->setCurrentRow(0);
    connect(lists_, &QListWidget::itemDoubleClicked, this, [this] { addChosenList(QLatin1Char('+')); });
    {
        auto* books = item<QComboBox>(kBooks);
        const QSignalBlocker block(books);
        books->addItems(form_.books());
    }
    // Filling the drop-downs emits no change: each is set with its signals blocked.
    auto setIndex = [this](int id, int index) {
        auto* box = item<QComboBox>(id);
        const QSignalBlocker block(box);
        box->setCurrentIndex(index);
    };
    setIndex(kOrder, int(form_.order));
    setIndex(kRecognition, form_.degrees[0]);
    setIndex(kSpelling, form_.degrees[1]);
    setIndex(kListening, form_.degrees[2]);
    expression_->setText(form_.expression());
    name_->setText(form_.name);
    connect(expression_, &QLineEdit::textEdited, this, [this] { expressionEdited(); });
    connect(name_, &QLineEdit::textEdited, this, [this] { nameTyped_ = true; });
    showCount();
}

void CMyListBookDialog::addChosenList(QChar op)
{
    const QListWidgetItem* row = lists_->currentItem();
    if (!row)
        return;
    const QString term = row->data(Qt::UserRole).toString();
    // The first list names the Book until the learner names it himself.
    if (!nameTyped_ && name_->text().isEmpty())
        name_->setText(term);
    form_.addTerm(op, term);
    expression_->setText(form_.expression());
    showCount();
}

void CMyListBookDialog::expressionEdited()
{
    form_.setExpression(expression_->text());
    showCount();
}

void CMyListBookDialog::showCount()
{
    const ListBookForm::Preview p = form_.preview();
    item<QLabel>(kCount)->setText(p.error.failed() ? texts::listExpressionError(p.error)
                                                   : QStringLiteral("单词数:%1").arg(p.count));
}

void CMyListBookDialog::makeBook()
{
    form_.setExpression(expression_->text());
    form_.name = name_->text().trimmed();
    form_.order = ListOrder(std::max(0, item<QComboBox>(kOrder)->currentIndex()));
    form_.degrees = {uint8_t(std::max(0, item<QComboBox>(kRecognition)->currentIndex())),
                     uint8_t(std::max(0, item<QComboBox>(kSpelling)->currentIndex())),
                     uint8_t(std::max(0, item<QComboBox>(kListening)->currentIndex()))};
    const ListBookForm::Made m = form_.make(clock_.localNow());
    if (!m.ok()) {
        showCount();
        if (ui_)
            ui_->messageBox(this, m.error.failed() ? texts::listExpressionError(m.error) : texts::createBookFailure(m.failure));
        return;
    }
    made_ = form_.name;
    endDialog(QDialog::Accepted);
}

bool CMyListBookDialog::onCommand(int id, qintptr param)
{
    switch (id) {
    case kUnion:
        addChosenList(QLatin1Char('+'));
        return true;
    case kMinus:
        addChosenList(QLatin1Char('-'));
        return true;
    case kBoth:
        addChosenList(QLatin1Char('&'));
        return true;
    case kMinusBook:
        if (const QString book = item<QComboBox>(kBooks)->currentText(); !book.isEmpty()) {
            form_.addTerm(QLatin1Char('-'), form_.bookTerm(book));
            expression_->setText(form_.expression());
            showCount();
        }
        return true;
    case ui::IDOK:
        makeBook();
        return true;
    default:
        return ui::TemplateDialog::onCommand(id, param);
    }
}

} // namespace lex
