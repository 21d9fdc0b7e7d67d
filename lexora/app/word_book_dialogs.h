#pragma once
// The dialogs of the word-book page as the program opens them: each built over the page's list,
// fonts and the controller's session, run through the services' runModal, and its result given
// back to the controller. Tests of the controller put a scripted WordBookDialogs in its place.

#include "lexora/app/word_book_controller.h"

#include <QPointer>
#include <memory>

namespace lex {

class CLexoraDlg;
class CMyFindDialog;
class Hyphenator;
class WordChecker;
struct ImportExportHost;

class WordBookPageDialogs final : public WordBookDialogs {
public:
    explicit WordBookPageDialogs(CLexoraDlg& page);
    ~WordBookPageDialogs() override;
    void attach(WordBookController* controller) { c_ = controller; }

    bool confirmDelete(const QString& text, bool* dontAskAgain) override;
    bool addOrModify(int row, const std::function<void(int row)>& added) override;
    std::optional<QString> className() override;
    std::function<bool(int temporary)> strangenessFilter() override;
    std::optional<GroupChoice> groups(const QString& folder, const QString& openName, bool moveMode) override;
    void openFind() override;
    void importExport(bool importMode) override;
    bool practice(PracticeMode mode, int minWords) override;
    void wordsFromText() override;
    std::optional<ReviewChoice> todayReview(const std::array<int, kSkillCount>& counts) override;
    PlanChoice todayPlan(const StudyState& state, bool planSet) override;
    void settings() override;
    void statistics() override;
    std::optional<QString> bookFromList(const QString& folder, const WordInfoTable& lists) override;
    std::optional<QString> vocabularyTest(const QString& folder, const WordInfoTable& lists) override;

    CMyFindDialog* findDialog() const { return find_; }

private:
    UserServices& ui() const { return *c_->services().ui; }
    // What the import/export dialog and 从文章取词 are given: the session, the list, the
    // services and the dictionary's look-up.
    ImportExportHost importHost() const;

    // 听写's English words, opened at the first dictation; without them the learner is told once.
    const WordChecker* wordChecker();

    // The hint ladder's syllables, read at the first typed practice.
    const Hyphenator* hyphenator();

    CLexoraDlg& page_;
    WordBookController* c_ = nullptr;
    std::unique_ptr<WordChecker> checker_;
    bool checkerTried_ = false;
    std::unique_ptr<Hyphenator> hyphenator_;
    QPointer<CMyFindDialog> find_;
};

} // namespace lex
