// Qt's own texts (a message box's buttons) in Chinese where Qt's translations are: the loader is
// pointed at folders the test makes, so the machine's own files decide nothing but whether the
// second half can run.
#include "common/platform/program_start.h"
#include "temp_dir.h"

#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace lex;

namespace {
QString buttonText(QMessageBox::StandardButton which)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lexora"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    return box.button(which)->text();
}
} // namespace

TEST(QtTexts, AMessageBoxSaysShiAndFouWhereQtsTranslationsAre)
{
    {
        // A folder without them: nothing installed, Qt's own English.
        lextest::TempDir empty;
        QTranslator translator;
        EXPECT_FALSE(loadQtTranslations(translator, empty.path()));
        EXPECT_TRUE(buttonText(QMessageBox::Yes).contains(QStringLiteral("Yes")));
    }
    // Debian's qt6-translations-l10n, copied into a folder of the test's own.
    const QString installed = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
    if (!QFile::exists(installed))
        GTEST_SKIP() << "Qt's Chinese translations are not installed here: " << installed.toStdString();
    lextest::TempDir dir;
    ASSERT_TRUE(QFile::copy(installed, dir.path(QStringLiteral("qtbase_zh_CN.qm"))));
    QTranslator translator;
    ASSERT_TRUE(loadQtTranslations(translator, dir.path()));
    EXPECT_EQ(buttonText(QMessageBox::Yes), QStringLiteral("是(&Y)"));
    EXPECT_EQ(buttonText(QMessageBox::No), QStringLiteral("否(&N)"));
}
