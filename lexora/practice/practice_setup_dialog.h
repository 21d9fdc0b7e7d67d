#pragma once
// CMyMemSet: the small dialog before a practice run: how many words, how many loops and, in
// 强记, the direction. Inputs (mode, word count) are given to the constructor; the settings are
// read after it was accepted.

#include "common/ui/command.h"
#include "lexora/practice/practice_engine.h"

class QComboBox;

namespace lex {

class CMyMemSet : public ui::CommandDialog {
    Q_OBJECT
public:
    // 开始 needs at least `minWords` words (practiceSetupFor).
    CMyMemSet(PracticeMode mode, int wordCount, QWidget* parent = nullptr, int minWords = kMinPracticeWords);

    bool onCommand(int id, qintptr param) override;

    // Valid after 开始.
    const PracticeSettings& settings() const { return settings_; }
    bool startEnabled() const;

private:
    PracticeSettings settings_;
};

} // namespace lex
