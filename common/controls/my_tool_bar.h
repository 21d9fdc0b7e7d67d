#pragma once
// CMyToolBar: the outer window's tool bar, which draws each of its buttons itself.

#include "common/ui/command.h"
#include "resources/resource_ids.h"

#include <QHash>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

class QButtonGroup;

namespace lex {

class CMyToolBarButton : public QToolButton {
    Q_OBJECT
public:
    CMyToolBarButton(int command, const QString& text, const QPixmap& image, bool dropDown, QWidget* parent);

    int command() const { return command_; }
    bool isHot() const { return hot_; }
    bool isWholeDropDown() const { return dropDown_; }
    // Drawn pressed while the button's menu is open.
    void setHeldDown(bool down);
    bool isHeldDown() const { return heldDown_; }
    void setIndeterminate(bool on);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    int command_;
    QPixmap image_;
    bool dropDown_;
    bool hot_ = false;
    bool heldDown_ = false;
    bool indeterminate_ = false;
};

class CMyToolBar : public QToolBar {
    Q_OBJECT
public:
    // Command of the posted request that opens a whole drop-down button's menu; its parameter is
    // the button's command.
    static constexpr int kDropDownCommand = cmd::kDropDown;

    explicit CMyToolBar(QWidget* parent = nullptr);

    // Clicks go to target->onCommand(command, 0); a whole drop-down button instead posts
    // kDropDownCommand with its command as parameter.
    void setTarget(ui::CommandTarget* target) { target_ = target; }

    // checkGroup buttons that follow each other form one exclusive group.
    CMyToolBarButton* addButton(int command, const QString& text, const QPixmap& image, bool checkGroup,
                                bool wholeDropDown, bool checked = false);
    void addSeparatorItem();

    // Builds the buttons of tool bar 208 with the images of bitmap 185.
    void loadStandardButtons();

    CMyToolBarButton* button(int command) const { return buttons_.value(command); }
    void setButtonVisible(int command, bool visible);
    void setButtonEnabled(int command, bool enabled);
    void setButtonChecked(int command, bool checked);
    bool isButtonChecked(int command) const;
    // The button's rectangle in global coordinates (for placing its menu).
    QRect buttonGlobalRect(int command) const;

protected:
    void paintEvent(QPaintEvent*) override {}   // the owner paints the band behind the bar

private:
    ui::CommandTarget* target_ = nullptr;
    QHash<int, CMyToolBarButton*> buttons_;
    QHash<int, QAction*> actions_;
    QButtonGroup* currentGroup_ = nullptr;
};

} // namespace lex
