// Glosix's command line.
#include "glosix/command_line.h"

#include <gtest/gtest.h>

using namespace lex;

TEST(GlosixCommandLine, HelpVersionHomeAndMistakes)
{
    auto parse = [](QStringList args) { return parseGlosixCommandLine(QStringList{QStringLiteral("Glosix")} + args); };
    EXPECT_EQ(parse({}).action, GlosixCommandLine::Run);
    EXPECT_EQ(parse({QStringLiteral("--home"), QStringLiteral("/x")}).action, GlosixCommandLine::Run);
    EXPECT_EQ(parse({QStringLiteral("--home=/x")}).action, GlosixCommandLine::Run);
    const GlosixCommandLine help = parse({QStringLiteral("--help")});
    EXPECT_EQ(help.action, GlosixCommandLine::Help);
    EXPECT_TRUE(help.output.contains(QStringLiteral("--home"))) << qPrintable(help.output);
    EXPECT_TRUE(help.output.startsWith(QStringLiteral("Usage: Glosix"))) << qPrintable(help.output);
    const GlosixCommandLine version = parse({QStringLiteral("--version")});
    EXPECT_EQ(version.action, GlosixCommandLine::Version);
    EXPECT_TRUE(version.output.startsWith(QStringLiteral("Glosix "))) << qPrintable(version.output);
    EXPECT_EQ(parse({QStringLiteral("--nonsense")}).action, GlosixCommandLine::Error);
    EXPECT_EQ(parse({QStringLiteral("--home")}).action, GlosixCommandLine::Error);
    EXPECT_EQ(parse({QStringLiteral("--home=")}).action, GlosixCommandLine::Error);
    EXPECT_EQ(parse({QStringLiteral("stray")}).action, GlosixCommandLine::Error);
}
