#pragma once
// User services for benchmarks: every question answered "yes" (or "OK"), no chooser opened, and
// a dialog a command opens driven by `script` instead of a modal loop (none: rejected at once).

#include "common/platform/user_services.h"

#include <QColor>
#include <QDialog>
#include <functional>

namespace lex::bench {

class QuietServices final : public UserServices {
public:
    MessageAnswer messageBox(QWidget*, const QString&, const QString&, MessageButtons b, MessageIcon) override
    {
        return b == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString folder(QWidget*, const QString&, const QString&) override { return {}; }
    QColor color(QWidget*, const QColor&) override { return {}; }
    bool openExternally(const QString&) override { return true; }
    std::function<int(QDialog&)> script;
    int runModal(QDialog* d) override { return script ? script(*d) : 0; }
};

} // namespace lex::bench
