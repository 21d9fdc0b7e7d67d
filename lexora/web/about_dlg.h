#pragma once
// CAboutDlg: the about box (template 100): the version string and a short text whose links open
// through the services interface (http, https and mailto only), leaving the selection as it was.

#include "common/ui/command.h"
#include "lexora/web/web_addresses.h"
#include "resources/resource_ids.h"

#include <QTextBrowser>

namespace lex {

class UserServices;

inline constexpr char kVersionText[] = "Lexora Ver1,1,6,404";

// The rich text of the about box: where the newest version is, and where reports go.
QString aboutText(const AboutAddresses& addresses);

// The link text of the about box: links open on a click through the services, and the learner's
// selection is put back afterwards.
class AboutLinkText final : public QTextBrowser {
    Q_OBJECT
public:
    explicit AboutLinkText(QWidget* parent = nullptr);
    void setServices(UserServices* ui) { ui_ = ui; }

    // What a click on a link does (also the test's way in).
    void openLink(const QUrl& url);

protected:
    void mousePressEvent(QMouseEvent*) override;

private:
    UserServices* ui_ = nullptr;
    QTextCursor before_;
};

class CAboutDlg final : public ui::CommandDialog {
    Q_OBJECT
public:
    static constexpr int kVersionControl = res::about_dlg::kVersion;
    static constexpr int kTextControl = res::about_dlg::kText;

    // `addresses`: what the text lists (the build's settings unless a caller gives others).
    CAboutDlg(UserServices* ui, QWidget* parent = nullptr, const AboutAddresses& addresses = aboutAddresses());

    AboutLinkText* linkText() const { return text_; }

private:
    AboutLinkText* text_ = nullptr;
};

} // namespace lex
