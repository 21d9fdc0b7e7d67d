#pragma once
// 从文章取词: open or paste a text, a subtitle file or an e-book, see the words the Book lacks with
// their counts, ranks, exam lists and first sentences, and add the ticked ones in one undoable step.

#include "lexora/exchange/import_dialog.h"
#include "lexora/exchange/text_words.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;

namespace lex {

class CWordsFromTextDialog : public QDialog {
    Q_OBJECT
public:
    // `resolver` brings words to their headwords; `host` is where the words go (its lookUp fills
    // their explanations) and whose services open the file and tell the outcome.
    CWordsFromTextDialog(ImportExportHost host, WordResolver resolver, QWidget* parent = nullptr);

    // The steps behind the buttons, public for tests.
    void takeText(const QString& text);     // 取词: the words of `text`, filtered, into the list
    bool openFile(const QString& path);     // 打开: a file read as its kind; false with a message
    ImportResult addTicked();               // 加入: the ticked words, one step of the history
    const std::vector<TextWord>& shown() const { return shown_; }
    // 隐藏最常用的 N 个词: the frequency rank within which words are left out (0: none).
    int knownRank() const;
    void setKnownRank(int rank);
    void setTicked(int row, bool on);

private:
    void refill();

    ImportExportHost host_;
    WordResolver resolver_;
    std::vector<TextWord> all_, shown_;
    QPlainTextEdit* paste_ = nullptr;
    QSpinBox* knownRank_ = nullptr;
    QCheckBox* hideNames_ = nullptr;
    QTableWidget* table_ = nullptr;
};

} // namespace lex
