#include "app_test_support.h"

#include "fake_web_browser.h"
#include "lexora/book/book_file.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace apptest {

void writeBook(const QString& folder, const QString& name, int count)
{
    lex::Book book;
    book.path = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    book.name = name;
    for (int i = 0; i < count; ++i) {
        auto e = std::make_unique<lex::WordEntry>();
        e->setWord(QStringLiteral("w%1").arg(i));
        e->setExplanation(QStringLiteral("e%1").arg(i));
        e->stored.recognition = uint8_t(i % 11);
        e->stored.review = lex::EntryTime{8, 1, 2, 3, 4};
        e->stored.added = lex::EntryTime{8, 1, 1, 1, 1};
        book.AddEntry(std::move(e), lex::AddMode::Loaded);
    }
    book.textChanged = true;
    QDir().mkpath(book.path);
    ASSERT_TRUE(lex::saveBook(book).ok());
}

ProgramFolder makeProgramFolder(const lextest::TempDir& dir, int count, const QString& extraIni)
{
    ProgramFolder p;
    p.folder = dir.path(QStringLiteral("home"));
    p.bookPath = p.folder + QStringLiteral("/Book/");
    QDir().mkpath(p.bookPath);
    QDir().mkpath(p.folder + QStringLiteral("/Voice"));
    QDir().mkpath(p.folder + QStringLiteral("/Dict"));
    const QString dict = lextest::binaryDir() + QStringLiteral("/data/Dict/");
    for (const char* f : {"Dict.idx", "Dict.dic"})
        QFile::copy(dict + QLatin1String(f), p.folder + QStringLiteral("/Dict/") + QLatin1String(f));
    writeBook(p.bookPath, QStringLiteral("English"), count);
    const QString ini = QStringLiteral("[INIT]\nIsFist=0\nIsDisableTTS=1\nVoicePath=%1/Voice/\nBookPath=%2\n"
                                       "BookName=English\n%3")
                            .arg(p.folder, p.bookPath, extraIni);
    dir.write(QStringLiteral("home/Config.INI"), ini.toUtf8());
    return p;
}

lex::AppServices testServices(lex::UserServices* ui)
{
    lex::AppServices s;
    s.ui = ui;
    // Nor does one reach the network, whatever LEXORA_UPDATE_BASE says: the browser records.
    s.browserFactory = [](QWidget* parent) -> std::unique_ptr<lex::WebBrowser> {
        return std::make_unique<lextest::FakeWebBrowser>(parent);
    };
    return s;
}

} // namespace apptest

#include "lexora/wordlist/small_dialogs.h"
#include "word_book_fixture.h"

#include <QCheckBox>
#include <QPushButton>

namespace apptest {

std::function<int(QDialog*)> answerDelete(bool ok, bool tick, QStringList* asked)
{
    return [ok, tick, asked](QDialog* d) {
        auto* check = dynamic_cast<lex::CMyDeleteCheck*>(d);
        EXPECT_NE(check, nullptr) << "expected the delete confirmation";
        if (!check)
            return 0;
        EXPECT_EQ(check->windowTitle(), QStringLiteral("确认删除"));
        if (asked)
            *asked << check->text();
        check->item<QCheckBox>(lex::CMyDeleteCheck::kDontAsk)->setChecked(tick);
        check->item<QPushButton>(ok ? lex::ui::IDOK : lex::ui::IDCANCEL)->click();
        return check->result();
    };
}

} // namespace apptest
