#pragma once
// The movies named on the window's command line, as the bytes the system passed. Qt reads
// every argument as UTF-8 (a byte that is not becomes U+FFFD, and the file would not be
// found), so the names are taken from main's own argv and carried as view/NativePath.h
// carries them. The options are the parser's: --language VALUE (or --language=VALUE),
// --help and --version; after "--" everything is a name.

#include <QStringList>

namespace zel::gui {

// The positional arguments of argv, in order. `parsed` is what the command-line parser
// found; when the counts differ (an option this does not know), the parser's list stands.
QStringList MovieArguments(int argc, char** argv, const QStringList& parsed);

}  // namespace zel::gui
