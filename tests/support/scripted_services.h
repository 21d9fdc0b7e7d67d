#pragma once
// A UserServices double for tests: records every text shown and returns the answers the test
// queued beforehand. Asking for an answer that was not queued fails the test at once (and gives a
// "cancel"-like answer), so no test ever waits on a modal window.

#include "common/platform/user_services.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace lextest {

class ScriptedServices final : public lex::UserServices {
public:
    struct Shown {
        QString kind;      // "message", "openFile", "saveFile", "folder", "color", "open", "dialog"
        QString text;      // message text, dialog title, filter or path
        QString caption;
        lex::MessageButtons buttons = lex::MessageButtons::Ok;
    };

    ~ScriptedServices() override;   // fails the test when queued answers were never asked for

    // Answers, consumed in order per kind. A plain OK box needs no answer.
    void queueAnswer(lex::MessageAnswer a) { answers_.push_back(a); }
    void queueFileName(const QString& path) { files_.push_back(path); }
    void queueFolder(const QString& path) { folders_.push_back(path); }
    void queueColor(const QColor& c) { colors_.push_back(c); }
    void setOpenResult(bool ok) { openResult_ = ok; }
    // Plays the learner's part in the next modal dialog: `script` gets the open dialog (not yet
    // shown), fills and clicks its controls, and returns its result. A dialog opened with no
    // script queued fails the test and is rejected.
    void queueDialog(std::function<int(QDialog*)> script) { dialogs_.push_back(std::move(script)); }

    const QList<Shown>& shown() const { return shown_; }
    QStringList messages() const;   // the texts of the message boxes, in order
    QStringList opened() const;     // what openExternally was given
    void clear() { shown_.clear(); }

    lex::MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption = {},
                                  lex::MessageButtons buttons = lex::MessageButtons::Ok,
                                  lex::MessageIcon icon = lex::MessageIcon::None) override;
    QString openFileName(QWidget* owner, const QString& initialPath, const QString& filter) override;
    QString saveFileName(QWidget* owner, const QString& initialPath, const QString& filter) override;
    QString folder(QWidget* owner, const QString& title, const QString& initialPath) override;
    QColor color(QWidget* owner, const QColor& initial) override;
    bool openExternally(const QString& pathOrUrl) override;
    int runModal(QDialog* dialog) override;

private:
    std::deque<std::function<int(QDialog*)>> dialogs_;
    std::deque<lex::MessageAnswer> answers_;
    std::deque<QString> files_;
    std::deque<QString> folders_;
    std::deque<QColor> colors_;
    bool openResult_ = true;
    QList<Shown> shown_;
};

} // namespace lextest
