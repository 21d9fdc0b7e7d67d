#include "lexora/app/word_book_session.h"

#include "lexora/book/book_session.h"

#include "common/config/profile.h"
#include "common/platform/env.h"
#include "common/platform/user_services.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>


namespace lex {

using namespace config;

QString resolveBookPath(const QString& configured, const QString& programFolder, UserServices& ui,
                        QWidget* owner, Env* env)
{
    Env* e = orDefault(env);
    const QString path = folderFromConfig(configured);
    if (!path.isEmpty() && e->isDir(path))
        return path;
    const MessageAnswer a = ui.messageBox(owner, QStringLiteral("Book路径不存在，是否重置为默认路径。"), {},
                                          MessageButtons::YesNo);
    if (a != MessageAnswer::Yes)
        return path;
    const QString def = programFolder + QStringLiteral("/Book/");
    // The default folder may not exist yet on a first start; the Book is created inside it.
    if (!e->isDir(def))
        e->createDir(def);
    return def;
}

QString resolveBookName(const QString& bookPath, const QString& configured, UserServices& ui, QWidget* owner,
                        Env* env)
{
    Env* e = orDefault(env);
    const QString idx = bookPath + configured + QStringLiteral(".idx");
    if (!configured.isEmpty() && e->fileExists(idx))
        return configured;
    ui.messageBox(owner, QStringLiteral("指定Book文件不存在:%1，将指定一个默认Book名：<Book>").arg(idx));
    return QStringLiteral("Book");
}

int listFontHeight(int fontType)
{
    return fontType == 0 ? 14 : fontType == 1 ? 18 : 22;
}

bool confirmDeletion(BookSession& session, int count, qintptr param, const DeleteQuestion& ask)
{
    // Nothing selected: there is nothing to ask about.
    if (count <= 0)
        return false;
    if (!session.book().confirmDelete || param == 1)
        return true;
    bool dontAsk = false;
    const bool yes = ask(QStringLiteral("您已选择了(%1)项\n是否要删除选择项").arg(count), &dontAsk);
    if (dontAsk)
        session.setConfirmDelete(false);
    return yes;
}

QByteArray packColor(const QColor& c)
{
    QByteArray b(kColorSize, '\0');
    b[0] = char(c.red());
    b[1] = char(c.green());
    b[2] = char(c.blue());
    return b;
}

std::optional<QColor> unpackColor(const std::optional<QByteArray>& bytes)
{
    if (!bytes || bytes->size() != kColorSize)
        return std::nullopt;
    return QColor(uint8_t((*bytes)[0]), uint8_t((*bytes)[1]), uint8_t((*bytes)[2]));
}

WordBookConfig readWordBookConfig(const Profile& p)
{
    WordBookConfig c;
    c.isCase = p.readInt(kInit, kIsCase, kDefaultIsCase) != 0;
    c.fontType = p.contains(kMainListCtrl, kFontSize) ? p.readInt(kMainListCtrl, kFontSize, kDefaultFontType)
                                                      : p.readInt(kInit, kFontType, kDefaultFontType);
    c.focusedItem = p.contains(kMainListCtrl, kFocusedItem)
                        ? p.readInt(kMainListCtrl, kFocusedItem, kDefaultFocusedItem)
                        : p.readInt(kInit, kFocusedItem, kDefaultFocusedItem);
    c.bookPath = p.readString(kInit, kBookPath);
    c.bookName = p.readString(kInit, kBookName);
    c.background = unpackColor(p.readStruct(kMainListCtrl, kBackGroundColor, kColorSize));
    if (auto w = unpackColumnWidths(p.readStruct(kMainListCtrl, kColumnWidth, kColumnWidthSize).value_or(QByteArray())))
        c.columnWidths = *w;
    return c;
}

void writeWordBookConfig(Profile& p, const WordBookExitState& s)
{
    p.writeString(kInit, kVoicePath, s.voicePath);
    p.writeString(kInit, kBookPath, s.bookPath);
    p.writeString(kInit, kBookName, s.bookName);
    p.writeInt(kInit, kIsCase, s.isCase ? 1 : 0);
    p.writeInt(kInit, kIsDisableTts, s.ttsDisabled ? 1 : 0);
    p.writeInt(kMainListCtrl, kFocusedItem, s.focusedItem);
    if (s.background.isValid())
        p.writeStruct(kMainListCtrl, kBackGroundColor, packColor(s.background));
    p.writeInt(kMainListCtrl, kFontSize, s.fontType);
    ColumnWidths w = kDefaultColumnWidths;
    for (size_t i = 0; i < w.size() && i < s.columnWidths.size(); ++i)
        w[i] = uint16_t(std::clamp(s.columnWidths[i], 0, 0xFFFF));
    p.writeStruct(kMainListCtrl, kColumnWidth, packColumnWidths(w));
}

} // namespace lex
