// Lexora: the word-book program.
#include "lexora/app/lexora_app.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char** argv)
{
    // The embedded browser's sandbox refuses to run as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexora"));
    return lex::CLexoraApp().run(QApplication::arguments());
}
