#pragma once
// The addresses the program may send a learner to. Each is a build-time setting (a CMake cache
// variable, see lexora/web/CMakeLists.txt) so that a packager who runs a site can fill them.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace lex {

// The version numbers the update page is told.
inline constexpr int kUpdateMajor = 1, kUpdateMinor = 1, kUpdateRevision = 5, kUpdateBuild = 116;

// base + "/checkupdate.htm?ver=1.1.5&build=116". An empty base, or one that is not an absolute
// http(s) address, gives an empty result: no update check.
QString updateCheckAddress(const QString& base);

// The update base in force: the environment variable LEXORA_UPDATE_BASE when it is set (also
// when set to empty, which switches the check off), else the build-time LEXORA_WEB_UPDATE_BASE.
QString updateBase();

// The home page of the "主页" button (build-time LEXORA_WEB_HOME_PAGE); empty: about:blank.
QString homePageAddress();

// What the about box lists: where the newest version can be downloaded (build-time
// LEXORA_ABOUT_DOWNLOAD, ';'-separated) and where reports go (LEXORA_ABOUT_MAIL).
struct AboutAddresses {
    QStringList download;
    QString mail;
};
AboutAddresses aboutAddresses();

// Schemes the page follows.
bool isBrowsableUrl(const QUrl& url);

} // namespace lex
