#include "lexora/exchange/words_from_text_dialog.h"

#include "common/platform/user_services.h"
#include "lexora/book/book.h"
#include "lexora/book/book_session.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lex {

CWordsFromTextDialog::CWordsFromTextDialog(ImportExportHost host, WordResolver resolver, QWidget* parent)
    : QDialog(parent), host_(std::move(host)), resolver_(std::move(resolver))
{
    setWindowTitle(QStringLiteral("从文章取词"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* open = new QPushButton(QStringLiteral("打开文件(&O)..."), this);
    auto* take = new QPushButton(QStringLiteral("取词(&T)"), this);
    top->addWidget(open);
    top->addWidget(take);
    top->addWidget(new QLabel(QStringLiteral("隐藏最常用的"), this));
    knownRank_ = new QSpinBox(this);
    knownRank_->setRange(0, 1000000);
    knownRank_->setSingleStep(500);
    top->addWidget(knownRank_);
    top->addWidget(new QLabel(QStringLiteral("个词"), this));
    hideNames_ = new QCheckBox(QStringLiteral("隐藏人名地名"), this);
    hideNames_->setChecked(true);
    top->addWidget(hideNames_);
    top->addStretch();
    layout->addLayout(top);
    paste_ = new QPlainTextEdit(this);
    paste_->setPlaceholderText(QStringLiteral("把文章粘贴到这里，或打开 .txt、.srt、.vtt、.epub 文件"));
    paste_->setMaximumHeight(120);
    paste_->setTabChangesFocus(true);   // the keyboard goes on to the list
    layout->addWidget(paste_);
    table_ = new QTableWidget(0, 5, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("单词"), QStringLiteral("次数"), QStringLiteral("词频"),
                                       QStringLiteral("考试"), QStringLiteral("例句")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table_, 1);
    auto* bottom = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("加入(&A)"), this);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    bottom->addStretch();
    bottom->addWidget(add);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    resize(720, 480);

    connect(open, &QPushButton::clicked, this, [this] {
        if (!host_.ui)
            return;
        const QString path = host_.ui->openFileName(this, host_.programFolder,
                                                    QStringLiteral("文章 (*.txt *.srt *.vtt *.epub);;所有文件 (*)"));
        if (!path.isEmpty())
            openFile(path);
    });
    connect(take, &QPushButton::clicked, this, [this] { takeText(paste_->toPlainText()); });
    connect(knownRank_, &QSpinBox::valueChanged, this, [this] { refill(); });
    connect(hideNames_, &QCheckBox::toggled, this, [this] { refill(); });
    connect(add, &QPushButton::clicked, this, [this] {
        const ImportResult r = addTicked();
        if (host_.ui && r.added > 0)
            host_.ui->messageBox(this, QStringLiteral("已加入 %1 个单词").arg(r.added));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

bool CWordsFromTextDialog::openFile(const QString& path)
{
    QString text;
    if (const Status s = readReadingFile(host_.env, path, &text); !s) {
        if (host_.ui)
            host_.ui->messageBox(this, s.message());
        return false;
    }
    takeText(text);
    return true;
}

void CWordsFromTextDialog::takeText(const QString& text)
{
    all_ = wordsFromText(text, resolver_);
    refill();
    // The words are what comes next: the list takes the keys, Space ticks the current word.
    if (table_->rowCount() > 0) {
        table_->setCurrentCell(0, 0);
        table_->setFocus();
    }
}

void CWordsFromTextDialog::refill()
{
    // The Book's words and their headwords: "dogs" in the Book hides "dog" here.
    QSet<QString> inBook;
    if (host_.session)
        for (const WordEntry* e : host_.session->book().full()) {
            const QString w = e->word().toString().toLower();
            inBook.insert(w);
            if (resolver_.baseOf)
                if (const QString h = resolver_.baseOf(w); !h.isEmpty())
                    inBook.insert(h.toLower());
        }
    TextWordFilter filter;
    filter.knownRank = knownRank_->value();
    filter.keepNames = !hideNames_->isChecked();
    filter.inBook = [&inBook](const QString& w) { return inBook.contains(w); };
    shown_ = filterTextWords(all_, filter);
    const QSignalBlocker block(table_);
    table_->setRowCount(int(shown_.size()));
    for (int row = 0; row < int(shown_.size()); ++row) {
        const TextWord& w = shown_[size_t(row)];
        auto* word = new QTableWidgetItem(w.word);
        word->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        word->setCheckState(Qt::Unchecked);
        table_->setItem(row, 0, word);
        table_->setItem(row, 1, new QTableWidgetItem(QString::number(w.count)));
        table_->setItem(row, 2, new QTableWidgetItem(w.rank ? QString::number(*w.rank) : QString()));
        table_->setItem(row, 3, new QTableWidgetItem(w.exams.join(QLatin1Char(' '))));
        table_->setItem(row, 4, new QTableWidgetItem(w.sentence));
    }
}

int CWordsFromTextDialog::knownRank() const { return knownRank_->value(); }

void CWordsFromTextDialog::setKnownRank(int rank)
{
    knownRank_->setValue(rank);   // refills the list through valueChanged
}

void CWordsFromTextDialog::setTicked(int row, bool on)
{
    if (QTableWidgetItem* item = table_->item(row, 0))
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

ImportResult CWordsFromTextDialog::addTicked()
{
    std::vector<ImportRecord> records;
    for (int row = 0; row < table_->rowCount() && row < int(shown_.size()); ++row)
        if (table_->item(row, 0)->checkState() == Qt::Checked) {
            ImportRecord r;
            r.word = shown_[size_t(row)].word;
            r.comment = shown_[size_t(row)].sentence;   // the word kept with its sentence
            if (host_.lookUp && !host_.lookUp(r.word, r.explanation, r.phonetic)) {
                r.explanation.clear();
                r.phonetic.clear();
            }
            records.push_back(std::move(r));
        }
    if (records.empty() || !host_.session)
        return {};
    ImportSettings settings;
    settings.lookUp = host_.lookUp;
    settings.skipKnown = true;
    const ImportResult r = applyImport(host_, std::move(records), settings);
    refill();   // the words just added leave the list
    return r;
}

} // namespace lex
