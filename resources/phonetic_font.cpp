#include "resources/phonetic_font.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QStringList>

namespace lex::res {

namespace {
QString& loadedFamily()
{
    static QString family;
    return family;
}

QString addFont(const QString& path)
{
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0)
        return {};
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QString() : families.first();
}

QString loadOwnFont()
{
    QString family = addFont(QStringLiteral(":/lexora/fonts/LexoraPhonetic.ttf"));
    // Without the generated font the codes show as plain letters, still readable to a learner.
    return family.isEmpty() ? QStringLiteral("DejaVu Sans") : family;
}
} // namespace

QString installProprietaryPhoneticFont(const QString& programFolder, const QString& fontsFolder, bool* copied)
{
    if (copied)
        *copied = false;
    const QString source = QDir(programFolder).filePath(QString::fromLatin1(kProprietaryPhoneticFile));
    if (programFolder.isEmpty() || !QFileInfo(source).isFile())
        return {};
    const QString target = QDir(fontsFolder).filePath(QString::fromLatin1(kProprietaryPhoneticFile));
    if (!QFileInfo::exists(target) && QDir().mkpath(fontsFolder) && QFile::copy(source, target) && copied)
        *copied = true;
    // Use the installed copy when there is one, else the file beside the program.
    return QFileInfo::exists(target) ? target : source;
}

PhoneticFontResult loadPhoneticFont(const QString& programFolder, const QString& userFontsFolder)
{
    PhoneticFontResult result;
    if (!loadedFamily().isEmpty()) {
        result.family = loadedFamily();
        return result;
    }
    QString fontsDir = userFontsFolder;
    if (fontsDir.isEmpty())
        fontsDir = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                       .filePath(QStringLiteral("fonts"));
    const QString path = installProprietaryPhoneticFont(programFolder, fontsDir, &result.installed);
    if (!path.isEmpty()) {
        QString family = addFont(path);
        // An unreadable installed copy: try the file beside the program.
        const QString beside = QDir(programFolder).filePath(QString::fromLatin1(kProprietaryPhoneticFile));
        if (family.isEmpty() && path != beside)
            family = addFont(beside);
        result.family = family;
    }
    if (result.family.isEmpty())
        result.family = loadOwnFont();
    loadedFamily() = result.family;
    return result;
}

QString phoneticFontFamily()
{
    if (loadedFamily().isEmpty())
        loadedFamily() = loadOwnFont();
    return loadedFamily();
}

QFont phoneticFont(int pixelHeight)
{
    QFont f;
    f.setFamilies(QStringList{phoneticFontFamily(), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(pixelHeight);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}

} // namespace lex::res
