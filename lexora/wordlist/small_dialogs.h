#pragma once
// The three small modal dialogs of the list's commands: CMyNameClass (template 172, "指定类名"),
// CMySelFilter (template 203, "临时陌生度过虑") and CMyDeleteCheck (template 202, "确认删除").
// Each gives back its result as fields; the word-book window applies it.

#include "common/ui/template_dialog.h"
#include "resources/resource_ids.h"

#include <QStringList>

class QComboBox;
class QLabel;

namespace lex {

class Profile;

// Remembered class names: INIT/ClassName1..ClassName9, non-empty values in that order.
QStringList readClassNames(const Profile& profile);
// Writes `names` (at most nine) as ClassName1.. and empties the keys after them, so that a
// deleted name does not come back at the next opening.
void writeClassNames(Profile& profile, const QStringList& names);

class CMyNameClass : public ui::TemplateDialog {
    Q_OBJECT
public:
    static constexpr int kName = res::nameclass_dlg::kName, kDeleteName = res::nameclass_dlg::kDeleteName;
    // The longest class name the box takes; remembered names are read back as long.
    static constexpr int kMaxNameLength = 256;

    // `profile` may be null (nothing remembered, nothing written).
    explicit CMyNameClass(Profile* profile, QWidget* parent = nullptr);
    bool onCommand(int id, qintptr param) override;

    // After "确定": the class name for the selected rows (empty clears it).
    QString className() const { return result_; }

private:
    void deleteName();
    QStringList items() const;

    Profile* profile_;
    QComboBox* combo_ = nullptr;
    QString result_;
};

class CMySelFilter : public ui::TemplateDialog {
    Q_OBJECT
public:
    static constexpr int kRelation = res::selfilter_dlg::kRelation, kValue = res::selfilter_dlg::kValue;
    enum Relation { Less = 0, Equal = 1, Greater = 2 };

    explicit CMySelFilter(QWidget* parent = nullptr);
    int relation() const;
    int value() const;
    // Whether a row of temporary strangeness `t` stays selected.
    bool keeps(int t) const;
};

class CMyDeleteCheck : public ui::TemplateDialog {
    Q_OBJECT
public:
    static constexpr int kDontAsk = res::deletecheck_dlg::kDontAsk;

    explicit CMyDeleteCheck(const QString& text, QWidget* parent = nullptr);
    QString text() const;
    // "本次运行不再确认" as it was when the dialog closed (by either button).
    bool dontAskAgain() const { return dontAsk_; }

private:
    QLabel* text_ = nullptr;
    bool dontAsk_ = false;
};

} // namespace lex
