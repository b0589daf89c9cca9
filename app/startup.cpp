#include "app/startup.h"

#include "app/skin_deployment.h"
#include "app/update_check.h"
#include "net/http_request.h"
#include "store/file_writer.h"
#include "ui/main_window.h"
#include "ui/user_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>

namespace qzb {
namespace {

int g_signalPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// Signals arrive at any moment; the handler only writes to a pipe, and the
// event loop closes the windows when it reads from it.
void closeWindowsOnStopSignals(QApplication& application) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_signalPipe[0], &byte, 1);
        QApplication::closeAllWindows();
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

QString programTitle() {
    return QString::fromUtf8("墨枢QQ空间日志,相册备份工具  V1.1");
}

} // namespace

StartupResult startProgram(const std::string& base, LateBoundEngine& engine, UserDialogs& dialogs) {
    deploySkins(base);
    const AttachResult applied = applySkin(engine, base, chooseSkin(base));
    if (const auto* failure = std::get_if<BindFailure>(&applied))
        return StartupFailure{QString::fromUtf8("无法从 %1 取得函数 %2：%3")
                                  .arg(QString::fromStdString(failure->library),
                                       QString::fromStdString(failure->function),
                                       QString::fromStdString(failure->reason))};
    auto window = std::make_unique<MainWindow>(dialogs, base);
    MainWindow* raw = window.get();
    QObject::connect(raw, &MainWindow::updateCheckRequested, raw,
                     [raw, &dialogs] { checkForUpdate(raw, dialogs); });
    return window;
}

void installPendingEventsHandler() {
    setPendingEventsHandler([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
}

int runProgram(QApplication& application) {
    const QString directory = QCoreApplication::applicationDirPath();
    QDir::setCurrent(directory);
    const std::string base = toPathText(std::filesystem::path(directory.toStdString()));
    closeWindowsOnStopSignals(application);
    // The window's controls are laid out for a 12-pixel GUI font.
    QFont font = QApplication::font();
    font.setPixelSize(12);
    QApplication::setFont(font);
    installPendingEventsHandler();

    QtUserDialogs dialogs;
    LateBoundEngine engine(base);
    StartupResult started = startProgram(base, engine, dialogs);
    if (const auto* failure = std::get_if<StartupFailure>(&started)) {
        std::fprintf(stderr, "%s\n", failure->message.toUtf8().constData());
        dialogs.showMessage(nullptr, programTitle(), failure->message, UserDialogs::Icon::Critical);
        return -1;
    }
    auto& window = std::get<std::unique_ptr<MainWindow>>(started);
    window->show();
    const int code = QApplication::exec();
    window.reset();
    setPendingEventsHandler({});
    closeIdleConnections();
    return code;
}

} // namespace qzb
