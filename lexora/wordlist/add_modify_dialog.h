#pragma once
// CMyAddModifyDialog (template 131, "添加&修改"): types a new entry (add mode, which stays open
// for the next word) or edits the texts and degrees of the focused row (modify mode). While the
// word is typed, the dictionary fills the phonetic and the explanation, and an inflected form
// ("went") shows its base form ("go") beside the word, which the learner may take with a click or
// Alt+B; the word itself is never changed for him. Every change goes through the session.

#include "common/dictionary/word_forms.h"
#include "common/ui/template_dialog.h"
#include "resources/resource_ids.h"

#include <QFont>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lex {

class BookSession;
class Clock;
class Profile;

class CMyAddModifyDialog : public ui::TemplateDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Modify };
    // Control numbers of template 131.
    static constexpr int kWord = res::addmodify_dlg::kWord, kPhonetic = res::addmodify_dlg::kPhonetic,
                         kExplanation = res::addmodify_dlg::kExplanation, kComment = res::addmodify_dlg::kComment,
                         kRecognition = res::addmodify_dlg::kRecognition, kSpelling = res::addmodify_dlg::kSpelling,
                         kListening = res::addmodify_dlg::kListening, kAccept = res::addmodify_dlg::kAccept,
                         kBaseForm = res::addmodify_dlg::kBaseForm;

    // `LookUpWord` of the main dictionary: true and both texts when the word is known.
    using LookUp = std::function<bool(QStringView word, QString& explanation, QString& phonetic)>;
    // The word an inflected form is a form of (WordForms::baseFormOf), none for any other word.
    using BaseFormOf = std::function<std::optional<BaseForm>(QStringView word)>;

    struct Inputs {
        Mode mode = Mode::Add;
        int row = -1;                 // modify mode: the view row edited
        BookSession* session = nullptr; // each add and modify is an undoable step of its history
        const Clock* clock = nullptr; // add mode: review and added time
        Profile* profile = nullptr;   // add mode: ADDMODIFY/StrangeIndex (may be null)
        LookUp lookUp;                // may be empty (no dictionary)
        BaseFormOf baseFormOf;        // may be empty (no forms): no hint
        // An example sentence of the word, which a click copies into the comment; may be empty.
        std::function<QString(QStringView word)> exampleOf;
        QFont phoneticFont;           // the main window's phonetic font
    };

    explicit CMyAddModifyDialog(Inputs inputs, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // Modify mode, after an accept: whether a text changed (the Book's text is then modified).
    bool textChanged() const { return textChanged_; }
    // Look-ups run once the typed characters have been handled; true while one is pending.
    bool fillPending() const { return fillTimer_.isActive(); }
    // The base form offered for the word as typed; empty when none is.
    QString offeredBaseForm() const { return offered_; }
    // The example offered for the comment; empty when none is.
    QString offeredExample() const { return example_; }
    void takeExample();

Q_SIGNALS:
    // Add mode: an entry was added at this view row (the list selects, focuses and shows it).
    void added(int row);

private:
    void onFinished();
    void fillFromDictionary();
    void offerBaseForm();
    void takeBaseForm();
    void acceptAdd();
    void acceptModify();
    QString editorText(int id) const;
    void setEditorText(int id, const QString& text);
    uint8_t degree(int id) const;

    Inputs in_;
    QLineEdit* word_ = nullptr;
    QLineEdit* phonetic_ = nullptr;
    QPlainTextEdit* explanation_ = nullptr;
    QPlainTextEdit* comment_ = nullptr;
    QComboBox* degrees_[3] = {nullptr, nullptr, nullptr};
    QPushButton* baseForm_ = nullptr;
    QString offered_;
    QPushButton* exampleButton_ = nullptr;
    QString example_;
    void offerExample();
    // A burst of keystrokes (or a paste) costs one look-up, after the keys have been drawn.
    QTimer fillTimer_;
    bool textChanged_ = false;
    // Modify mode: the four texts as the editors showed them at opening, and as stored.
    QString openingShown_[4];
    QString openingStored_[4];
};


} // namespace lex
