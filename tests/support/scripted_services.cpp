#include "scripted_services.h"

#include <QColor>
#include <gtest/gtest.h>

namespace lextest {

using lex::MessageAnswer;
using lex::MessageButtons;

ScriptedServices::~ScriptedServices()
{
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " queued message answer(s) never asked for";
    EXPECT_TRUE(files_.empty()) << files_.size() << " queued file name(s) never asked for";
    EXPECT_TRUE(folders_.empty()) << folders_.size() << " queued folder(s) never asked for";
    EXPECT_TRUE(colors_.empty()) << colors_.size() << " queued colour(s) never asked for";
    EXPECT_TRUE(dialogs_.empty()) << dialogs_.size() << " queued dialog script(s) never run";
}

QStringList ScriptedServices::messages() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}

QStringList ScriptedServices::opened() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == QLatin1String("open"))
            out << s.text;
    return out;
}

MessageAnswer ScriptedServices::messageBox(QWidget*, const QString& text, const QString& caption,
                                           MessageButtons buttons, lex::MessageIcon)
{
    shown_.append(Shown{QStringLiteral("message"), text, caption, buttons});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (answers_.empty()) {
        ADD_FAILURE() << "message box asks a question nobody answered: " << text.toStdString();
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    }
    const MessageAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

namespace {

QString take(std::deque<QString>& q, const char* what)
{
    if (q.empty()) {
        ADD_FAILURE() << what << " dialog opened without a queued answer";
        return {};
    }
    QString v = q.front();
    q.pop_front();
    return v;
}

} // namespace

QString ScriptedServices::openFileName(QWidget*, const QString& initialPath, const QString& filter)
{
    shown_.append(Shown{QStringLiteral("openFile"), filter, initialPath, MessageButtons::Ok});
    return take(files_, "open-file");
}

QString ScriptedServices::saveFileName(QWidget*, const QString& initialPath, const QString& filter)
{
    shown_.append(Shown{QStringLiteral("saveFile"), filter, initialPath, MessageButtons::Ok});
    return take(files_, "save-file");
}

QString ScriptedServices::folder(QWidget*, const QString& title, const QString& initialPath)
{
    shown_.append(Shown{QStringLiteral("folder"), title, initialPath, MessageButtons::Ok});
    return take(folders_, "folder");
}

QColor ScriptedServices::color(QWidget*, const QColor& initial)
{
    shown_.append(Shown{QStringLiteral("color"), initial.name(), {}, MessageButtons::Ok});
    if (colors_.empty()) {
        ADD_FAILURE() << "colour dialog opened without a queued answer";
        return QColor();
    }
    QColor c = colors_.front();
    colors_.pop_front();
    return c;
}

bool ScriptedServices::openExternally(const QString& pathOrUrl)
{
    shown_.append(Shown{QStringLiteral("open"), pathOrUrl, {}, MessageButtons::Ok});
    return openResult_;
}

int ScriptedServices::runModal(QDialog* dialog)
{
    shown_.append(Shown{QStringLiteral("dialog"), {}, {}, MessageButtons::Ok});
    if (dialogs_.empty()) {
        ADD_FAILURE() << "a modal dialog opened without a queued script";
        return 0;
    }
    auto script = std::move(dialogs_.front());
    dialogs_.pop_front();
    return script(dialog);
}

} // namespace lextest
