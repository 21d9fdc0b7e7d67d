#include "glosix/selection_lookup.h"

#include "glosix/glosix_dlg.h"
#include "glosix/selection_word.h"

#include <QClipboard>
#include <QGuiApplication>
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

} // namespace lex
