#pragma once
// CPropSub2: the settings page "快捷键" (template 174). Shortcut keys cannot be changed yet: the
// page is present and every control on it is disabled.

#include <QWidget>

namespace lex {

class CPropSub2 final : public QWidget {
    Q_OBJECT
public:
    explicit CPropSub2(QWidget* parent = nullptr);
};

} // namespace lex
