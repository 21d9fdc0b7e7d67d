#include "common/platform/shell_forms.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace lex;

TEST(ShellForms, WindowsFiltersBecomeQtFilters)
{
    // The description stays as written (the chooser shows only it); the last parenthesis holds
    // the patterns Qt lists by, "*.*" being every file.
    EXPECT_EQ(qtFileFilter(QStringLiteral("文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||")),
              QStringLiteral("文本文件 (*.txt) (*.txt);;所有文件 (*.*) (*)"));
    // Several patterns; a description without parentheses shows them.
    EXPECT_EQ(qtFileFilter(QStringLiteral("Book|*.idx;*.txt||")), QStringLiteral("Book (*.idx *.txt) (*.idx *.txt)"));
    // The real patterns win over what the description claims.
    EXPECT_EQ(qtFileFilter(QStringLiteral("A (*.x)|*.y||")), QStringLiteral("A (*.x) (*.y)"));
    EXPECT_EQ(qtFileFilter(QString()), QString());
    EXPECT_EQ(qtFileFilter(QStringLiteral("Only a description")), QString());
}

TEST(ShellForms, OnlyWebMailAndLocalTargetsOpen)
{
    EXPECT_EQ(externalOpenUrl(QStringLiteral("https://example.org/a?b=1"))->toString(),
              QStringLiteral("https://example.org/a?b=1"));
    EXPECT_TRUE(externalOpenUrl(QStringLiteral("HTTP://example.org")).has_value());
    EXPECT_EQ(externalOpenUrl(QStringLiteral("mailto:someone@example.org"))->scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(externalOpenUrl(QStringLiteral("/tmp/Readme.txt"))->toLocalFile(), QStringLiteral("/tmp/Readme.txt"));
    EXPECT_EQ(externalOpenUrl(QStringLiteral("Book/x.txt"))->toLocalFile(), QDir::currentPath() + QStringLiteral("/Book/x.txt"));
    EXPECT_EQ(externalOpenUrl(QStringLiteral("file:///tmp/a b"))->toLocalFile(), QStringLiteral("/tmp/a b"));
    for (const char* bad : {"javascript:alert(1)", "ftp://example.org/x", "smb://host/share", "http://", "file://host/x",
                            "data:text/html,hi", "", "   "})
        EXPECT_FALSE(externalOpenUrl(QString::fromLatin1(bad)).has_value()) << bad;
}
