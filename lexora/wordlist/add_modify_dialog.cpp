#include "lexora/wordlist/add_modify_dialog.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/platform/sources.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/entry_ops.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace lex {

namespace {

// Entries keep lines apart with CR LF, the editors with LF.
QString toEditor(QStringView stored)
{
    QString s = stored.toString();
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QString fromEditor(const QString& shown)
{
    QString s = shown;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s;
}

constexpr int kTextIds[4] = {CMyAddModifyDialog::kWord, CMyAddModifyDialog::kPhonetic,
                             CMyAddModifyDialog::kExplanation, CMyAddModifyDialog::kComment};

} // namespace

CMyAddModifyDialog::CMyAddModifyDialog(Inputs inputs, QWidget* parent) : ui::TemplateDialog(parent), in_(std::move(inputs))
{
    buildFrom(res::dialogTemplate(res::IDD_ADDMODIFY));
    word_ = item<QLineEdit>(kWord);
    phonetic_ = item<QLineEdit>(kPhonetic);
    explanation_ = item<QPlainTextEdit>(kExplanation);
    comment_ = item<QPlainTextEdit>(kComment);
    degrees_[0] = item<QComboBox>(kRecognition);
    degrees_[1] = item<QComboBox>(kSpelling);
    degrees_[2] = item<QComboBox>(kListening);
    baseForm_ = item<QPushButton>(kBaseForm);
    baseForm_->setAutoDefault(false);
    baseForm_->setFocusPolicy(Qt::NoFocus);   // Tab goes on from the word to the phonetic
    baseForm_->setCursor(Qt::PointingHandCursor);
    baseForm_->setStyleSheet(QStringLiteral("QPushButton { color: #0645ad; text-align: left; }"));
    connect(baseForm_, &QPushButton::clicked, this, &CMyAddModifyDialog::takeBaseForm);
    auto* takeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_B), this);
    connect(takeKey, &QShortcut::activated, this, &CMyAddModifyDialog::takeBaseForm);
    // Above the comment, on the right: the word's example, copied in with a click.
    exampleButton_ = new QPushButton(QStringLiteral("例句→注释"), this);
    exampleButton_->setAutoDefault(false);
    exampleButton_->setFocusPolicy(Qt::NoFocus);
    exampleButton_->setCursor(Qt::PointingHandCursor);
    exampleButton_->setStyleSheet(QStringLiteral("QPushButton { color: #0645ad; border: none; }"));
    exampleButton_->adjustSize();
    exampleButton_->move(comment_->geometry().right() - exampleButton_->width(),
                         comment_->y() - exampleButton_->height());
    exampleButton_->hide();
    connect(exampleButton_, &QPushButton::clicked, this, &CMyAddModifyDialog::takeExample);
    if (in_.phoneticFont != QFont())
        phonetic_->setFont(in_.phoneticFont);
    for (QPlainTextEdit* e : {explanation_, comment_})
        e->setTabChangesFocus(true);

    fillTimer_.setSingleShot(true);
    fillTimer_.setInterval(0);
    connect(&fillTimer_, &QTimer::timeout, this, &CMyAddModifyDialog::fillFromDictionary);
    connect(word_, &QLineEdit::textChanged, this, [this] {
        offerBaseForm();
        offerExample();
        if (in_.lookUp)
            fillTimer_.start();
    });

    // However it closes, add mode keeps the three degrees for next time.
    connect(this, &QDialog::finished, this, &CMyAddModifyDialog::onFinished);

    const WordEntry* e = in_.session ? in_.session->book().atView(in_.row) : nullptr;
    if (in_.mode == Mode::Modify && e) {
        // The word first: the look-up it causes is dropped, the entry's own texts stand.
        const QStringView stored[4] = {e->word(), e->phonetic(), e->explanation(), e->comment()};
        for (int i = 0; i < 4; ++i) {
            openingStored_[i] = stored[i].toString();
            openingShown_[i] = toEditor(stored[i]);
            setEditorText(kTextIds[i], openingShown_[i]);
        }
        fillTimer_.stop();
        const uint8_t values[3] = {e->stored.recognition, e->stored.spelling, e->stored.listening};
        for (int i = 0; i < 3; ++i)
            degrees_[i]->setCurrentIndex(std::min<int>(values[i], kMaxStrangeness));
        explanation_->setFocus();
    } else {
        in_.mode = Mode::Add;
        const StrangeIndex v = readStrangeIndex(in_.profile, config::kAddModify);
        for (int i = 0; i < 3; ++i)
            degrees_[i]->setCurrentIndex(v[size_t(i)]);
        item<QPushButton>(kAccept)->setText(QStringLiteral("添加"));
        word_->setFocus();
    }
}

QString CMyAddModifyDialog::editorText(int id) const
{
    if (auto* line = item<QLineEdit>(id))
        return line->text();
    if (auto* plain = item<QPlainTextEdit>(id))
        return plain->toPlainText();
    return {};
}

void CMyAddModifyDialog::setEditorText(int id, const QString& text)
{
    if (auto* line = item<QLineEdit>(id))
        line->setText(text);
    else if (auto* plain = item<QPlainTextEdit>(id))
        plain->setPlainText(text);
}

uint8_t CMyAddModifyDialog::degree(int id) const
{
    const int i = item<QComboBox>(id)->currentIndex();
    return uint8_t(std::clamp(i, 0, int(kMaxStrangeness)));
}

void CMyAddModifyDialog::fillFromDictionary()
{
    fillTimer_.stop();
    if (!in_.lookUp)
        return;
    QString explanation, phonetic;
    if (!in_.lookUp(word_->text(), explanation, phonetic))
        return;
    phonetic_->setText(phonetic);
    explanation_->setPlainText(toEditor(explanation));
}

void CMyAddModifyDialog::offerBaseForm()
{
    std::optional<BaseForm> base;
    const QString word = word_->text().trimmed();
    if (in_.baseFormOf && !word.isEmpty()) {
        // The forms are kept in lower case; "Went" at the start of a sentence is "went".
        base = in_.baseFormOf(word);
        if (!base && word != word.toLower())
            base = in_.baseFormOf(word.toLower());
    }
    if (base && base->lemma.compare(word, Qt::CaseInsensitive) == 0)
        base.reset();
    offered_ = base ? base->lemma : QString();
    baseForm_->setVisible(base.has_value());
    if (!base)
        return;
    baseForm_->setText(QStringLiteral("原形: ") + base->lemma);
    baseForm_->setToolTip(formNote(word, base->lemma, base->kind) + QStringLiteral("\n点击或按 Alt+B 改为原形"));
}

void CMyAddModifyDialog::offerExample()
{
    const QString word = word_->text().trimmed();
    example_ = in_.exampleOf && !word.isEmpty() ? in_.exampleOf(word) : QString();
    if (!example_.isEmpty() && comment_->toPlainText().contains(example_))
        example_.clear();
    exampleButton_->setVisible(!example_.isEmpty());
    exampleButton_->setToolTip(example_);
}

void CMyAddModifyDialog::takeExample()
{
    if (example_.isEmpty())
        return;
    QString comment = comment_->toPlainText();
    if (!comment.isEmpty() && !comment.endsWith(QLatin1Char('\n')))
        comment += QLatin1Char('\n');
    comment_->setPlainText(comment + example_);
    example_.clear();
    exampleButton_->hide();
}

void CMyAddModifyDialog::takeBaseForm()
{
    if (offered_.isEmpty())
        return;
    word_->setText(offered_);   // looks the base form up like any typed word
    word_->setFocus();
}

bool CMyAddModifyDialog::onCommand(int id, qintptr param)
{
    if (id == kAccept) {
        // A look-up still waiting belongs to the word being accepted.
        if (fillTimer_.isActive())
            fillFromDictionary();
        if (in_.mode == Mode::Add)
            acceptAdd();
        else
            acceptModify();
        return true;
    }
    if (id == ui::IDOK)
        return true;   // Enter reaches the default button (1004) instead
    return ui::TemplateDialog::onCommand(id, param);
}

void CMyAddModifyDialog::acceptAdd()
{
    if (!in_.session || !in_.clock)
        return;
    auto e = std::make_unique<WordEntry>();
    e->setWord(word_->text());
    e->setPhonetic(phonetic_->text());
    e->setExplanation(fromEditor(explanation_->toPlainText()));
    e->setComment(fromEditor(comment_->toPlainText()));
    e->temporary = 0;
    e->stored.recognition = degree(kRecognition);
    e->stored.spelling = degree(kSpelling);
    e->stored.listening = degree(kListening);
    e->stored.review = e->stored.added = toEntryTime(in_.clock->localNow());
    // An empty word (or one of trimmed characters only) adds nothing and says nothing.
    const int row = in_.session->run(std::make_unique<AddOp>(std::move(e)));
    if (row < 0)
        return;
    Q_EMIT added(row);
    // Ready for the next word; the texts stay.
    word_->setFocus();
    word_->selectAll();
}

void CMyAddModifyDialog::acceptModify()
{
    if (!in_.session)
        return;
    // A text left as it opened keeps its stored form (line ends included), so that only a real
    // edit counts as a change of text.
    QString texts[4];
    for (int i = 0; i < 4; ++i) {
        const QString shown = editorText(kTextIds[i]);
        texts[i] = shown == openingShown_[i] ? openingStored_[i] : fromEditor(shown);
    }
    EntryEdit edit{texts[0], texts[1], texts[2], texts[3], degree(kRecognition), degree(kSpelling),
                   degree(kListening)};
    const ModifyOp::Outcome r = in_.session->run(std::make_unique<ModifyOp>(in_.row, std::move(edit)));
    textChanged_ = r.textChanged;
    if (!r.done)
        return;   // an empty word: the dialog stays, as adding does
    endDialog(QDialog::Accepted);
}

void CMyAddModifyDialog::onFinished()
{
    fillTimer_.stop();
    if (in_.mode == Mode::Add)
        writeStrangeIndex(in_.profile, config::kAddModify, {degree(kRecognition), degree(kSpelling), degree(kListening)});
}

} // namespace lex
