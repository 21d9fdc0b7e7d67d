#include "common/ui/template_builder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>
#include <QTextEdit>
#include <QTreeWidget>

namespace lex::ui {

int controlId(const QWidget* w)
{
    const QVariant v = w ? w->property(kControlIdProperty) : QVariant();
    return v.isValid() ? v.toInt() : IDC_STATIC;
}

int controlGroup(const QWidget* w)
{
    const QVariant v = w ? w->property(kGroupProperty) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

QWidget* findControl(const QWidget* root, int id)
{
    if (!root || id == IDC_STATIC)
        return nullptr;
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* w : children)
        if (controlId(w) == id)
            return w;
    return nullptr;
}

TemplateBuilder::TemplateBuilder(const DialogTemplate& tmpl) : tmpl_(tmpl) {}

TemplateBuilder& TemplateBuilder::withControl(int id, Factory f)
{
    byId_.insert(id, std::move(f));
    return *this;
}

TemplateBuilder& TemplateBuilder::withKind(Kind kind, Factory f)
{
    byKind_.insert(static_cast<int>(kind), std::move(f));
    return *this;
}

TemplateBuilder& TemplateBuilder::routeTo(CommandTarget* target)
{
    target_ = target;
    return *this;
}

QSize TemplateBuilder::clientSize(const QFont& font) const
{
    return dluToPixels(QSize(tmpl_.width, tmpl_.height), dialogBaseUnits(font));
}

QWidget* TemplateBuilder::createDefault(const ControlSpec& s, QWidget* parent)
{
    const bool multi = s.style & MultiLine;
    const bool readOnly = s.style & ReadOnly;
    switch (s.kind) {
    case Kind::Static: {
        auto* l = new QLabel(s.caption, parent);
        l->setWordWrap(s.caption.contains(QLatin1Char('\n')) || s.h > 12);
        l->setAlignment(((s.style & Centre) ? Qt::AlignHCenter : (s.style & Right) ? Qt::AlignRight : Qt::AlignLeft)
                        | Qt::AlignTop);
        return l;
    }
    case Kind::Edit:
        if (multi) {
            auto* e = new QPlainTextEdit(parent);
            e->setReadOnly(readOnly);
            e->setVerticalScrollBarPolicy((s.style & VScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            e->setPlainText(s.caption);
            return e;
        } else {
            auto* e = new QLineEdit(s.caption, parent);
            e->setReadOnly(readOnly);
            if (s.style & Centre)
                e->setAlignment(Qt::AlignCenter);
            return e;
        }
    case Kind::RichEdit: {
        auto* e = new QTextEdit(parent);
        e->setReadOnly(readOnly);
        e->setAcceptRichText(true);
        if (!multi) {
            e->setLineWrapMode(QTextEdit::NoWrap);
            e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        }
        e->setVerticalScrollBarPolicy((s.style & VScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        if (s.style & Centre)
            e->setAlignment(Qt::AlignCenter);
        return e;
    }
    case Kind::PushButton:
    case Kind::DefPushButton: {
        auto* b = new QPushButton(s.caption, parent);
        b->setDefault(s.kind == Kind::DefPushButton);
        b->setFlat(s.style & Flat);
        if (s.style & PushLike)
            b->setCheckable(true);
        return b;
    }
    case Kind::CheckBox:
        if (s.style & PushLike) {
            auto* b = new QPushButton(s.caption, parent);
            b->setCheckable(true);
            return b;
        }
        return new QCheckBox(s.caption, parent);
    case Kind::RadioButton: {
        auto* r = new QRadioButton(s.caption, parent);
        r->setAutoExclusive(false);   // exclusivity comes from the dialog group below
        return r;
    }
    case Kind::GroupBox:
        return new QGroupBox(s.caption, parent);
    case Kind::DropDownList:
    case Kind::DropDownCombo: {
        auto* c = new QComboBox(parent);
        c->setEditable(s.kind == Kind::DropDownCombo);
        QStringList items = s.items;
        if (s.style & Sorted)
            items.sort();
        c->addItems(items);
        c->setCurrentIndex(-1);
        return c;
    }
    case Kind::ListBox: {
        auto* l = new QListWidget(parent);
        l->addItems(s.items);
        l->setSortingEnabled(s.style & Sorted);
        return l;
    }
    case Kind::ProgressBar: {
        auto* p = new QProgressBar(parent);
        p->setTextVisible(false);
        return p;
    }
    case Kind::Slider:
        return new QSlider(Qt::Horizontal, parent);
    case Kind::TreeView: {
        auto* t = new QTreeWidget(parent);
        t->setHeaderHidden(true);
        return t;
    }
    case Kind::ListView:
        return new QTableView(parent);
    case Kind::EtchedHorz:
    case Kind::EtchedVert: {
        auto* f = new QFrame(parent);
        f->setFrameShape(s.kind == Kind::EtchedHorz ? QFrame::HLine : QFrame::VLine);
        f->setFrameShadow(QFrame::Sunken);
        return f;
    }
    case Kind::Custom:
        return new QWidget(parent);
    }
    return new QWidget(parent);
}

QHash<int, QWidget*> TemplateBuilder::build(QWidget* parent, QPoint origin)
{
    QHash<int, QWidget*> map;
    const DialogBaseUnits units = dialogBaseUnits(parent->font());
    if (parent->isWindow() && !tmpl_.caption.isEmpty())
        parent->setWindowTitle(tmpl_.caption);

    int group = 0;
    QHash<int, QButtonGroup*> radioGroups;
    for (const ControlSpec& s : tmpl_.controls) {
        if (s.style & Group)
            ++group;
        QWidget* w = nullptr;
        if (auto f = byId_.value(s.id); f && s.id != IDC_STATIC)
            w = f(s, parent);
        if (!w)
            if (auto f = byKind_.value(static_cast<int>(s.kind)))
                w = f(s, parent);
        if (!w)
            w = createDefault(s, parent);
        if (w->parentWidget() != parent)
            w->setParent(parent);

        w->setProperty(kControlIdProperty, s.id);
        w->setProperty(kGroupProperty, group);
        QRect r = dluToPixels(QRect(s.x, s.y, s.w, s.h), units).translated(origin);
        // A drop-down's template height includes its open list; the closed box keeps its own height.
        if (s.kind == Kind::DropDownList || s.kind == Kind::DropDownCombo)
            r.setHeight(qMin(r.height(), w->sizeHint().height()));
        if (s.kind == Kind::EtchedHorz)
            r.setHeight(qMax(r.height(), 2));
        if (s.kind == Kind::EtchedVert)
            r.setWidth(qMax(r.width(), 2));
        w->setGeometry(r);
        w->setEnabled(!(s.style & Disabled));
        if (s.style & Hidden)
            w->hide();
        else if (parent->isVisible())
            w->show();

        if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            QButtonGroup*& bg = radioGroups[group];
            if (!bg) {
                bg = new QButtonGroup(parent);
                bg->setExclusive(true);
            }
            bg->addButton(radio);
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && target_ && s.id != IDC_STATIC) {
            CommandTarget* target = target_;
            const int id = s.id;
            QObject::connect(button, &QAbstractButton::clicked, parent, [target, id] { target->onCommand(id, 0); });
        }
        if (s.id != IDC_STATIC)
            map.insert(s.id, w);
    }
    return map;
}

} // namespace lex::ui
