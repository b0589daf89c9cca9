// Our program's start-up as main runs it (skins and engine written into the
// program folder given as argument, a skin applied, the main window made and
// shown), then it ends instead of waiting for the user.
#include "app/skin_deployment.h"
#include "app/startup.h"
#include "store/file_writer.h"
#include "ui/main_window.h"
#include "ui/user_dialogs.h"

#include <QApplication>
#include <QTest>

#include <filesystem>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const std::string base = qzb::toPathText(std::filesystem::path(argv[1]));
    qzb::QtUserDialogs dialogs;
    qzb::LateBoundEngine engine(base);
    qzb::StartupResult started = qzb::startProgram(base, engine, dialogs);
    auto* window = std::get_if<std::unique_ptr<qzb::MainWindow>>(&started);
    if (!window)
        return 1;
    (*window)->show();
    return QTest::qWaitForWindowExposed(window->get()) ? 0 : 1;
}
