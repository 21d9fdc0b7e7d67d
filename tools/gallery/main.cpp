// The gallery: the window foundations on one screen, for looking at them together.
#include "common/controls/bm_static.h"
#include "common/controls/color_picker.h"
#include "common/controls/image_button.h"
#include "common/controls/my_tool_bar.h"
#include "common/frame/my_base_dialog.h"
#include "common/ui/dialog_units.h"
#include "resources/phonetic_font.h"
#include "resources/resources.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

using namespace lex;

namespace {

class Gallery : public CMyBaseDialog {
public:
    CMyToolBar* bar = nullptr;
    bool onCommand(int id, qintptr param) override
    {
        if (id == CMyToolBar::kDropDownCommand)
            return true;
        return CMyBaseDialog::onCommand(id, param);
    }

protected:
    void paintClientBackground(QPainter& p) override
    {
        CMyBaseDialog::paintClientBackground(p);
        if (!bar)
            return;
        const QRect c = clientRect();
        const int top = c.top() - 1, bottom = bar->geometry().bottom() + 2;
        QLinearGradient g(0, top, 0, bottom);
        g.setColorAt(0, QColor(240, 240, 237));
        g.setColorAt(1, QColor(224, 222, 218));
        p.fillRect(QRect(c.left(), top, c.width(), bottom - top + 1), g);
    }
};

void hover(QWidget* w)
{
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(w, &e);
}

QLabel* caption(const QString& text, QWidget* parent, int x, int y)
{
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString shot;
    for (int i = 1; i + 1 < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--screenshot"))
            shot = QString::fromLocal8Bit(argv[i + 1]);
    app.setFont(ui::defaultDialogFont());
    app.setWindowIcon(res::appIcon());
    res::loadPhoneticFont(QCoreApplication::applicationDirPath());

    Gallery w;
    w.setWindowTitle(QStringLiteral("Tessaly — 控件一览"));
    w.setGeometry(40, 40, 760, 520);
    const QRect c = w.clientRect();

    w.bar = new CMyToolBar(&w);
    w.bar->setTarget(&w);
    w.bar->loadStandardButtons();
    w.bar->setGeometry(c.left(), c.top(), c.width(), 36);
    w.bar->setButtonChecked(32899, true);
    for (int id : {32906, 32907, 14014, 32910})
        w.bar->setButtonVisible(id, false);
    w.bar->setButtonEnabled(32902, false);

    int y = c.top() + 48;
    caption(QStringLiteral("CImageButton 按钮：普通 / 悬停 / 按下 / 焦点 / 禁用"), &w, 12, y);
    y += 20;
    const char* states[] = {"确定", "悬停", "按下", "焦点", "禁用"};
    QList<CImageButton*> pushes;
    for (int i = 0; i < 5; ++i) {
        auto* b = new CImageButton(CImageButton::ButtonKind::Push, QString::fromUtf8(states[i]), &w);
        b->setGeometry(12 + i * 88, y, 80, 26);
        pushes << b;
    }
    pushes[4]->setEnabled(false);

    y += 40;
    caption(QStringLiteral("复选框与单选框：未选 / 选中 / 悬停 / 按下 / 禁用"), &w, 12, y);
    y += 20;
    QList<CImageButton*> checks, radios;
    const char* names[] = {"单词", "解释", "词典", "大写", "锁定索引"};
    for (int i = 0; i < 5; ++i) {
        auto* b = new CImageButton(CImageButton::ButtonKind::Check, QString::fromUtf8(names[i]), &w);
        b->setGeometry(12 + i * 88, y, 80, 16);
        checks << b;
        auto* r = new CImageButton(CImageButton::ButtonKind::Radio, QString::fromUtf8(names[i]), &w);
        r->setGeometry(12 + i * 88, y + 24, 80, 16);
        radios << r;
    }
    checks[1]->setCheck(true);
    checks[4]->setEnabled(false);
    checks[4]->setCheck(true);
    radios[1]->setCheck(true);
    radios[4]->setEnabled(false);

    y += 56;
    caption(QStringLiteral("练习答案按钮 (白色背景，选中时按下)"), &w, 12, y);
    y += 20;
    auto* answer = new CImageButton(CImageButton::ButtonKind::Check, QStringLiteral("n. 英语；英国人"), &w);
    answer->setPushLike(true);
    answer->setBackgroundColor(Qt::white);
    answer->setGeometry(12, y, 200, 40);
    auto* answer2 = new CImageButton(CImageButton::ButtonKind::Check, QStringLiteral("adj. 美丽的"), &w);
    answer2->setPushLike(true);
    answer2->setBackgroundColor(Qt::white);
    answer2->setCheck(true);
    answer2->setGeometry(220, y, 200, 40);

    y += 56;
    caption(QStringLiteral("音标字体：5iN^liF → "), &w, 12, y + 4);
    auto* phon = new QLabel(QStringLiteral("5iN^liF  英语  bju:tIful  Tink  5pB:tI"), &w);
    phon->setFont(res::phoneticFont(22));
    phon->move(150, y);
    phon->adjustSize();

    y += 44;
    caption(QStringLiteral("背景色:"), &w, 12, y + 4);
    auto* picker = new CColorPicker(&w);
    picker->setGeometry(60, y, 28, 22);
    picker->setColor(QColor(255, 255, 204));
    auto* flat = new CColorPicker(&w);
    flat->setFlat(true);
    flat->setGeometry(96, y, 28, 22);
    flat->setColor(QColor(51, 102, 204));

    // Each mark goes to the top right of its own parent when shown.
    auto* tickBox = new QWidget(&w);
    tickBox->setGeometry(c.right() - 150, c.top() + 50, 70, 70);
    auto* crossBox = new QWidget(&w);
    crossBox->setGeometry(c.right() - 76, c.top() + 50, 70, 70);
    auto* tick = new CBMStatic(res::bitmap(res::IDB_TICK), tickBox);
    auto* cross = new CBMStatic(res::bitmap(res::IDB_CROSS), crossBox);

    Gallery inactive;
    inactive.setWindowTitle(QStringLiteral("单词初记 (未激活)"));
    inactive.setGeometry(820, 40, 300, 200);
    auto* l = new QLabel(QStringLiteral("未激活的窗口：灰色标题与按钮"), &inactive);
    l->move(16, 60);
    l->adjustSize();

    w.show();
    inactive.show();
    tick->show();
    cross->show();
    w.activateWindow();
    hover(pushes[1]);
    pushes[2]->setDown(true);
    pushes[3]->setFocus();
    hover(checks[2]);
    hover(radios[2]);
    checks[3]->setDown(true);
    radios[3]->setDown(true);

    picker->openPalette(QPoint(-1, -1));
    if (CColorPalette* pal = picker->paletteWindow())
        pal->move(w.mapToGlobal(QPoint(520, y - 150)));

    if (!shot.isEmpty()) {
        QTimer::singleShot(800, [&] {
            QImage img;
            if (QGuiApplication::platformName() == QLatin1String("xcb")) {
                img = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            } else {
                img = QImage(1140, 580, QImage::Format_RGB32);
                img.fill(QColor(58, 110, 165));
                QPainter p(&img);
                p.drawPixmap(w.pos(), w.grab());
                p.drawPixmap(inactive.pos(), inactive.grab());
                if (CColorPalette* pal = picker->paletteWindow())
                    p.drawPixmap(pal->pos(), pal->grab());
            }
            img.save(shot);
            app.quit();
        });
    }
    return app.exec();
}
