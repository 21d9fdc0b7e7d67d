#pragma once
// The command line every program of ours shares: --help and --version answered on stdout
// without a window or a display, errors as one line on stderr with a hint.
//
//   int main(int argc, char** argv) {
//       lex::answerWithoutDisplayWhenAsked(argc, argv);   // before the application object
//       QApplication app(argc, argv);
//       QCommandLineParser parser;                        // the program's own options added here
//       if (const int code = lex::parseCommandLine(parser, description); code >= 0)
//           return code;
//       ...
//   }

#include <QString>

class QCommandLineParser;

namespace lex {

// When the arguments ask for help or the version, a window program needs no display to answer:
// the Qt platform is set to "offscreen" unless one was chosen. Call before QApplication.
void answerWithoutDisplayWhenAsked(int argc, char** argv);

// Names the application and its version the same way in every program.
void setApplicationIdentity(const QString& name);

// Parses QCoreApplication::arguments() with `parser`, to which --help and --version are added.
// Returns -1 when the program should go on, 0 after printing help or the version, 2 after
// printing a usage error.
int parseCommandLine(QCommandLineParser& parser, const QString& description);

} // namespace lex
