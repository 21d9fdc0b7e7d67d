#pragma once
// The web page of the outer window, for now an empty page: it accepts the navigation commands
// and does nothing with them.

#include "common/ui/command.h"

#include <QWidget>

namespace lex {

class BrowserPlaceholder : public QWidget, public ui::CommandTarget {
    Q_OBJECT
public:
    explicit BrowserPlaceholder(QWidget* parent = nullptr);
    // 32911, 32901-32904 and 14101 are accepted; everything else is not ours.
    bool onCommand(int id, qintptr param) override;

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace lex
