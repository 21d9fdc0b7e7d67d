#include "glosix/selection_lookup.h"

#include "glosix/glosix_dlg.h"
#include "glosix/selection_word.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace lex {

namespace {
bool onX11()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("xcb"));
}
} // namespace

QString selectedText()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    QString text;
    if (clipboard->supportsSelection())
        text = clipboard->text(QClipboard::Selection);
    // X11 always has a PRIMARY selection: its clipboard is another thing the learner did.
    if (wordInSelection(text).isEmpty() && !onX11())
        text = clipboard->text(QClipboard::Clipboard);
    return text;
}

void showSelectionAtStart(CGlosixDlg& window, const QString& word)
{
    if (!word.isEmpty()) {
        window.receiveWord(word, 0);
        return;
    }
    if (onX11())
        return;
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &window,
                             [once, &window](Qt::ApplicationState state) {
                                 if (state != Qt::ApplicationActive)
                                     return;
                                 QObject::disconnect(*once);
                                 if (const QString w = wordInSelection(selectedText()); !w.isEmpty())
                                     window.receiveWord(w, 0);
                             });
}

QString selectedTextWithFocus(int timeoutMs)
{
    if (onX11() || !wordInSelection(selectedText()).isEmpty())
        return selectedText();
    QWidget probe(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    probe.setAttribute(Qt::WA_TranslucentBackground);
    probe.resize(1, 1);
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &loop, [&loop](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            loop.quit();
    });
    probe.show();
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        loop.exec();
    // The compositor sends the selection right after the focus: let it arrive.
    QEventLoop settle;
    QTimer::singleShot(50, &settle, &QEventLoop::quit);
    settle.exec();
    const QString text = selectedText();
    probe.close();
    return text;
}

} // namespace lex
