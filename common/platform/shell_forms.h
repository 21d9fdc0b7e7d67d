#pragma once
// Pure conversions used by the user-services implementation, kept apart from any widget code so
// that they can be tested without a display.

#include <QString>
#include <QUrl>
#include <optional>

namespace lex {

// "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||" -> "文本文件 (*.txt) (*.txt);;所有文件 (*.*) (*)".
// Each description, kept whole for the chooser to show (kFileChooserOptions hides the rest), is
// followed by its own patterns ("a;b" becomes "a b"); "*.*" means every file, which on this
// system is "*" (a name need not contain a dot). A description without patterns of its own
// shows the given ones: "Book|*.idx;*.txt||" -> "Book (*.idx *.txt) (*.idx *.txt)".
QString qtFileFilter(const QString& windowsFilter);

// What the shell's "open" may be given: http, https and mailto addresses, and local paths (plain
// or as file: URLs). Anything else (javascript:, ftp:, smb:, an empty text) gives nothing.
// A relative path is taken against the current folder.
std::optional<QUrl> externalOpenUrl(const QString& pathOrUrl);

} // namespace lex
