#include "lexora/practice/vocabulary_test_dialog.h"

#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace lex {

using namespace res::vocabulary_dlg;

namespace {
constexpr int kChoices[] = {kChoice0, kChoice1, kChoice2, kChoice3};
}

CVocabularyTestDialog::CVocabularyTestDialog(VocabularyQuiz& quiz, ListBookForm& form, UserServices* ui,
                                             const Clock& clock, QWidget* parent)
    : ui::TemplateDialog(parent), quiz_(quiz), form_(form), ui_(ui), clock_(clock)
{
    buildFrom(res::dialogTemplate(res::IDD_VOCABULARY_TEST));
    auto* exams = item<QComboBox>(kExam);
    {
        const QSignalBlocker block(exams);
        for (const NamedList& l : form_.lists())
            if (l.term.kind == ListTerm::Kind::Exam)
                exams->addItem(listTermName(l.term));
        exams->setCurrentIndex(exams->findText(QStringLiteral("cet6")));
    }
    QFont big = item<QLabel>(kWord)->font();
    if (big.pixelSize() > 0)
        big.setPixelSize(big.pixelSize() * 8 / 5);
    else
        big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    item<QLabel>(kWord)->setFont(big);
    showQuestion();
}

void CVocabularyTestDialog::showQuestion()
{
    const bool done = quiz_.done();
    const bool checking = !done && quiz_.checking();
    item<QLabel>(kProgress)->setText(done ? QStringLiteral("共 %1 题").arg(quiz_.answered())
                                          : QStringLiteral("第 %1 题").arg(quiz_.answered() + (checking ? 0 : 1)));
    item<QLabel>(kWord)->setText(done ? QString() : quiz_.word());
    item<QLabel>(kQuestion)->setText(done       ? QString()
                                     : checking ? QStringLiteral("它的意思是：")
                                                : QStringLiteral("你认识这个词吗？"));
    item<QPushButton>(kYes)->setVisible(!done && !checking);
    item<QPushButton>(kNo)->setVisible(!done && !checking);
    for (int i = 0; i < 4; ++i) {
        auto* b = item<QPushButton>(kChoices[i]);
        b->setVisible(checking);
        b->setText(checking ? QStringLiteral("&%1  %2").arg(i + 1).arg(quiz_.choices().value(i)) : QString());
    }
    if (done) {
        const VocabularyEstimate e = quiz_.estimate();
        item<QLabel>(kResult)->setText(texts::vocabularyEstimateText(e.words, e.low, e.high));
        item<QComboBox>(kExam)->setEnabled(item<QComboBox>(kExam)->count() > 0);
        item<QPushButton>(kKnownBook)->setEnabled(item<QComboBox>(kExam)->count() > 0);
        item<QPushButton>(kNextBook)->setEnabled(true);
    }
}

void CVocabularyTestDialog::finish(const QString& name, const ListExprError& error, const CreateBookFailure& failure)
{
    if (error.failed() || failure.failed()) {
        if (ui_)
            ui_->messageBox(this, error.failed() ? texts::listExpressionError(error) : texts::createBookFailure(failure));
        return;
    }
    made_ = name;
    endDialog(QDialog::Accepted);
}

void CVocabularyTestDialog::makeKnownBook()
{
    const QString exam = item<QComboBox>(kExam)->currentText();
    const QStringList known = quiz_.wordsKnown();
    form_.setExpression(exam);
    form_.known = QSet<QString>(known.begin(), known.end());
    form_.name = exam + QStringLiteral("-词汇量");
    const ListBookForm::Made m = form_.make(clock_.localNow());
    finish(form_.name, m.error, m.failure);
}

void CVocabularyTestDialog::makeAboveBook()
{
    // The words just above what the learner knows, in frequency order: the ones to learn next.
    NewBookFromWords request;
    request.folder = form_.folder();
    request.name = QStringLiteral("词汇量之上");
    request.words = quiz_.wordsAbove(kAboveCount);
    request.dict = form_.dictionary();
    request.degrees = form_.degrees;
    request.now = clock_.localNow();
    finish(request.name, {}, makeBookFromWords(form_.env(), request));
}

bool CVocabularyTestDialog::onCommand(int id, qintptr param)
{
    switch (id) {
    case kYes:
    case kNo:
        if (!quiz_.done() && !quiz_.checking())
            quiz_.answer(id == kYes);
        showQuestion();
        return true;
    case kChoice0:
    case kChoice1:
    case kChoice2:
    case kChoice3:
        if (quiz_.checking())
            quiz_.choose(int(std::find(std::begin(kChoices), std::end(kChoices), id) - std::begin(kChoices)));
        showQuestion();
        return true;
    case kKnownBook:
        makeKnownBook();
        return true;
    case kNextBook:
        makeAboveBook();
        return true;
    case ui::IDOK:
        return true; // Enter answers nothing by itself
    default:
        return ui::TemplateDialog::onCommand(id, param);
    }
}

} // namespace lex
