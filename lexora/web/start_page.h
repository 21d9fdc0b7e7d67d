#pragma once
// The start page: what Lexora's web page shows when no update address is configured, made here
// on the machine and requested from nowhere. It gives today's plan and the streak, the open
// Book's figures, and links that run a few of the program's commands. A link is an address the
// browser never loads: it carries the command and the browser's secret for its own page
// (WebBrowser::commandLink), so that no page from the network can make one that runs.

#include <QString>
#include <QUrl>
#include <functional>

namespace lex {

struct StartPageFigures {
    QString bookName;
    int words = 0, practised = 0, learned = 0;
    bool planSet = false;
    int plannedNew = 0, doneNew = 0, plannedReviews = 0, doneReviews = 0;
    QString forecast;  // phrased
    int streak = 0, longest = 0;
    bool checkedInToday = false;
};

// The commands a link of the start page may run: today's study (今日计划), a Book from a list,
// the vocabulary test, and 学习 (the word-book page).
bool isStartPageCommand(int id);

// The page, in Chinese; `link` gives the address of each command's link.
QString startPageHtml(const StartPageFigures& f, const std::function<QUrl(int id)>& link);

} // namespace lex
