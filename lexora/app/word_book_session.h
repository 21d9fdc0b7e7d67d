#pragma once
// The word-book window's decisions that need no widget: which Book to open (with the questions
// asked on the way), the delete command, and the settings read at start and written at exit.
// The window only wires these to its controls.

#include "common/config/config_keys.h"
#include "common/config/word_book_keys.h"
#include "lexora/book/book.h"
#include "resources/resource_ids.h"

#include <QColor>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace lex {

class BookSession;
class Env;
class Profile;
class UserServices;

// Start-up step "Book path": the configured folder when it exists; otherwise asks
// "Book路径不存在，是否重置为默认路径。": Yes gives programFolder + "/Book/" (created when missing),
// No keeps the configured value.
QString resolveBookPath(const QString& configured, const QString& programFolder, UserServices& ui,
                        QWidget* owner, Env* env);

// Start-up step "Book name": the configured name when bookPath + name + ".idx" exists; otherwise
// shows "指定Book文件不存在:%s，将指定一个默认Book名：<Book>" and gives "Book".
QString resolveBookName(const QString& bookPath, const QString& configured, UserServices& ui, QWidget* owner,
                        Env* env);

// List font height of a font type: 14, 18, 22.
int listFontHeight(int fontType);

// The question before a delete: the text to show; `dontAskAgain` receives the state of
// "本次运行不再确认" whatever the answer. True to go ahead.
using DeleteQuestion = std::function<bool(const QString& text, bool* dontAskAgain)>;
// The delete command's question (14007) for `count` selected rows: none with param 1, none once
// the learner ticked "本次运行不再确认" in this run. Otherwise asks "您已选择了(%d)项\n是否要删除选择项";
// a ticked box clears the open Book's confirmDelete whatever the answer. True to go ahead.
bool confirmDeletion(BookSession& session, int count, qintptr param, const DeleteQuestion& ask);

// The word-book window's own keys of Config.INI. The focused row and the font type are kept
// under MAINLISTCTRL ("FocusedItem", "FontSize"), where they are written at exit; the INIT keys
// ("FocusedItem", "FontType") are read only when a file has none under MAINLISTCTRL.
struct WordBookConfig {
    bool isCase = false;
    int fontType = config::kDefaultFontType;
    QString bookPath;
    QString bookName;
    int focusedItem = config::kDefaultFocusedItem;
    std::optional<QColor> background;
    config::ColumnWidths columnWidths = config::kDefaultColumnWidths;
};
WordBookConfig readWordBookConfig(const Profile& profile);

// What the window writes at exit, after the speech settings, in this order: INIT/VoicePath,
// BookPath, BookName, IsCase, IsDisableTTS; MAINLISTCTRL/FocusedItem, BackGroundColor, FontSize,
// ColumnWidth.
struct WordBookExitState {
    QString voicePath;
    bool ttsDisabled = false;
    QString bookPath;
    QString bookName;
    bool isCase = false;
    int focusedItem = -1;
    QColor background;
    int fontType = 0;
    std::vector<int> columnWidths;
};
void writeWordBookConfig(Profile& profile, const WordBookExitState& s);

// The colour as stored: red, green, blue, 0.
QByteArray packColor(const QColor& c);
std::optional<QColor> unpackColor(const std::optional<QByteArray>& bytes);

} // namespace lex
