#pragma once

#include <QString>

#include <memory>
#include <string>
#include <variant>

class QApplication;

namespace qzb {

class LateBoundEngine;
class MainWindow;
class UserDialogs;

// What stopped the program from starting, in words for the fatal error box.
struct StartupFailure {
    QString message;
};

using StartupResult = std::variant<std::unique_ptr<MainWindow>, StartupFailure>;

// The program's start-up work in the program's directory `base` (a path
// text): the skins and their engine written next to the program, one skin
// applied through the engine bound at that first call, the main window made
// on its first page, its update link bound. The window is not shown yet.
[[nodiscard]] StartupResult startProgram(const std::string& base, LateBoundEngine& engine,
                                         UserDialogs& dialogs);

// Lets the windows repaint and answer while an exchange waits.
void installPendingEventsHandler();

// The whole program: the program's directory becomes the current directory,
// start-up runs, the main window shows, and events are handled until the last
// window is gone. Returns 0, or -1 after a fatal error box. SIGINT and SIGTERM
// close the program's windows, so the program ends as if the user closed them.
int runProgram(QApplication& application);

} // namespace qzb
