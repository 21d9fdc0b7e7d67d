#pragma once
// CImageButton: the program's own push buttons, check boxes and radio buttons.

#include "common/ui/dialog_template.h"

#include <QColor>
#include <QPushButton>

namespace lex {

class CImageButton : public QPushButton {
    Q_OBJECT
public:
    enum class ButtonKind { Push, Check, Radio };

    CImageButton(ButtonKind kind, const QString& text, QWidget* parent = nullptr);

    ButtonKind buttonKind() const { return kind_; }
    bool isHover() const { return hover_; }

    // Sets or clears the checked bit and redraws. Checking a radio button first unchecks every
    // other radio button of its dialog group.
    void setCheck(bool checked);
    bool check() const { return isChecked(); }

    // The "uncheck" message of the radio group: clears the checked bit and redraws.
    void uncheck();

    // A push-like check box (the practice window's answers): drawn as a push button that stays
    // pressed while checked.
    void setPushLike(bool on);
    bool isPushLike() const { return pushLike_; }

    QColor backgroundColor() const { return background_; }
    void setBackgroundColor(const QColor& c);

    // The two glyphs, 8 pixels wide and drawn from their second column: 0 bits are ink.
    static constexpr unsigned char kCheckGlyph[7] = {0xFE, 0xFC, 0xB8, 0x91, 0x83, 0xC7, 0xEF};
    static constexpr unsigned char kRadioGlyph[6] = {0xC3, 0x99, 0xBD, 0xBD, 0x99, 0xC3};

    QSize sizeHint() const override;

protected:
    // The click changes the state before clicked() reaches the parent, so the parent sees the
    // new state: a check box flips, an unchecked radio button becomes checked, a checked one stays.
    void nextCheckState() override;
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void paintPush(class QPainter& p);
    void paintCheckOrRadio(class QPainter& p);

    ButtonKind kind_;
    bool hover_ = false;
    bool pushLike_ = false;
    QColor background_{185, 209, 234};
};

// Template factory: push buttons, check boxes and radio buttons become CImageButtons of the kind
// their template kind gives; nullptr for other kinds.
QWidget* createImageButton(const ui::ControlSpec& spec, QWidget* parent);

// Draws a monochrome glyph: each row byte from its second most significant bit, 0 bits in `ink`.
void drawGlyph(class QPainter& p, int x, int y, const unsigned char* rows, int rowCount, const QColor& ink);

} // namespace lex
