// The about box: its version text and links that open only through the services, only for web
// and mail addresses, without moving the learner's selection.
#include "scripted_services.h"

#include "common/ui/template_builder.h"
#include "lexora/web/about_dlg.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

TEST(AboutBox, VersionTextAndLinks)
{
    lextest::ScriptedServices ui;
    AboutAddresses a;
    a.download = {QStringLiteral("https://lexora.example/download"), QStringLiteral("http://mirror.example/lexora")};
    a.mail = QStringLiteral("help@lexora.example");
    CAboutDlg box(&ui, nullptr, a);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("关于 Lexora"));
    auto* version = ui::control<QLabel>(&box, CAboutDlg::kVersionControl);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Lexora Ver1,1,6,404"));
    AboutLinkText* text = box.linkText();
    EXPECT_EQ(ui::findControl(&box, CAboutDlg::kTextControl), text);
    const QString plain = text->toPlainText();
    EXPECT_TRUE(plain.contains(QStringLiteral("最新版本，请到此地址下载:")));
    EXPECT_TRUE(plain.contains(a.download[0]));
    EXPECT_TRUE(plain.contains(a.mail));
    const QString html = text->toHtml();
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"mailto:help@lexora.example\"")));

    // The learner's selection before a click survives it.
    QTextCursor c = text->textCursor();
    c.setPosition(2);
    c.setPosition(7, QTextCursor::KeepAnchor);
    text->setTextCursor(c);
    text->openLink(QUrl(a.download[0]));
    text->openLink(QUrl(QStringLiteral("mailto:help@lexora.example")));
    EXPECT_EQ(text->textCursor().selectionStart(), 2);
    EXPECT_EQ(text->textCursor().selectionEnd(), 7);

    // Nothing but web and mail addresses is handed to the shell.
    for (const char* no : {"file:///etc/passwd", "javascript:alert(1)", "lexora:study", "/usr/bin/xterm"})
        text->openLink(QUrl(QString::fromLatin1(no)));
    EXPECT_EQ(ui.opened(), (QStringList{a.download[0], QStringLiteral("mailto:help@lexora.example")}));
}

TEST(AboutBox, AClickOnALinkOpensItAndKeepsTheSelection)
{
    lextest::ScriptedServices ui;
    AboutAddresses a;
    a.mail = QStringLiteral("help@lexora.example");
    CAboutDlg box(&ui, nullptr, a);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    AboutLinkText* text = box.linkText();
    QTextCursor c = text->textCursor();
    c.setPosition(0);
    c.setPosition(3, QTextCursor::KeepAnchor);
    text->setTextCursor(c);
    // Find the mail link on screen by its text position.
    const int at = text->toPlainText().indexOf(a.mail) + 2;
    QTextCursor probe(text->document());
    probe.setPosition(at);
    const QPoint p = text->cursorRect(probe).center();
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, p);
    EXPECT_EQ(ui.opened(), QStringList{QStringLiteral("mailto:help@lexora.example")});
    EXPECT_EQ(text->textCursor().selectionStart(), 0);
    EXPECT_EQ(text->textCursor().selectionEnd(), 3);
}

TEST(AboutBox, TheBuildsAddressesAndNothingElse)
{
    // The build's two download addresses and its mail address, each a link, under the heading.
    lextest::ScriptedServices ui;
    const AboutAddresses built = aboutAddresses();
    ASSERT_EQ(built.download.size(), 2);
    ASSERT_FALSE(built.mail.isEmpty());
    CAboutDlg box(&ui);
    const QString html = box.linkText()->toHtml();
    for (const QString& d : built.download)
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"%1\"").arg(d))) << d.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("href=\"mailto:%1\"").arg(built.mail)));
    EXPECT_EQ(box.linkText()->toPlainText(),
              QStringLiteral("最新版本，请到此地址下载:\n%1\n%2\n问题、意见和建议请发邮件至: %3")
                  .arg(built.download[0], built.download[1], built.mail));

    // A build without addresses keeps the heading and offers nothing to open.
    CAboutDlg bare(&ui, nullptr, AboutAddresses{});
    EXPECT_FALSE(bare.linkText()->toHtml().contains(QStringLiteral("href=")));
    EXPECT_EQ(bare.linkText()->toPlainText().trimmed(), QStringLiteral("最新版本，请到此地址下载:"));
}
