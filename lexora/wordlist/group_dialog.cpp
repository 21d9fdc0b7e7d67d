#include "lexora/wordlist/group_dialog.h"

#include "common/platform/user_services.h"
#include "lexora/book/book_folder.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

namespace lex {

namespace {

// A drop-down list that is filled afresh each time it opens: Books made or removed meanwhile in
// the folder show up.
class RefillingCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;
    void showPopup() override
    {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};

} // namespace

CMyCategory::CMyCategory(Inputs inputs, QWidget* parent) : ui::TemplateDialog(parent), in_(std::move(inputs))
{
    in_.env = orDefault(in_.env);
    chosen_ = in_.openName;
    RefillingCombo* combo = nullptr;
    buildFrom(res::dialogTemplate(res::IDD_CATEGORY), [&combo](ui::TemplateBuilder& b) {
        b.withControl(kBooks, [&combo](const ui::ControlSpec&, QWidget* parent) -> QWidget* {
            combo = new RefillingCombo(parent);
            return combo;
        });
    });
    books_ = combo;
    combo->beforePopup = [this] { refill(); };
    connect(books_, &QComboBox::currentIndexChanged, this, [this] { showFigures(); });

    if (in_.moveMode) {
        item<QLabel>(kNote)->clear();
        item<QRadioButton>(kMove)->setEnabled(true);
        item<QRadioButton>(kCopy)->setEnabled(true);
        item<QRadioButton>(kMove)->setChecked(true);
        item<QCheckBox>(kDiscard)->setEnabled(false);
        item<QPushButton>(ui::IDOK)->setText(QStringLiteral("确定"));
        setWindowTitle(QStringLiteral("移动&复制到组"));
    }
    refill();
    connect(this, &QDialog::finished, this, [this] {
        move_ = in_.moveMode && !item<QRadioButton>(kCopy)->isChecked();
        discard_ = !in_.moveMode && item<QCheckBox>(kDiscard)->isChecked();
    });
}

void CMyCategory::refill()
{
    QStringList names = listBooks(in_.env, in_.folder);
    // Exactly: on this system "book" and "Book" are two Books.
    names.removeAll(in_.openName);
    {
        const QSignalBlocker block(books_);
        books_->clear();
        books_->addItems(names);
        const int at = int(names.indexOf(chosen_));
        books_->setCurrentIndex(at >= 0 ? at : (names.isEmpty() ? -1 : 0));
    }
    showFigures();
}

void CMyCategory::showFigures()
{
    auto* count = item<QTextEdit>(kCount);
    auto* version = item<QTextEdit>(kVersion);
    count->clear();
    version->clear();
    if (books_->currentIndex() < 0)
        return;
    chosen_ = books_->currentText();
    const BookFigures f = bookFigures(in_.env, in_.folder, chosen_);
    if (f.count)
        count->setPlainText(QString::number(*f.count));
    if (f.version)
        version->setPlainText(QString::number(*f.version));
}

void CMyCategory::addBook()
{
    refill();
    const QString name = item<QLineEdit>(kNewName)->text();
    if (name.isEmpty())
        return;
    if (const CreateBookFailure failure = createBook(in_.env, in_.folder, name); failure.failed()) {
        if (in_.ui)
            in_.ui->messageBox(this, texts::createBookFailure(failure));
        return;
    }
    chosen_ = name;
    refill();
}

bool CMyCategory::onCommand(int id, qintptr param)
{
    switch (id) {
    case kAdd:
        addBook();
        return true;
    case kFolder:
        if (in_.ui)
            in_.ui->openExternally(in_.folder);
        return true;
    case kMove:
    case kCopy:
    case kDiscard:
        return true;
    default:
        return ui::TemplateDialog::onCommand(id, param);
    }
}

} // namespace lex
