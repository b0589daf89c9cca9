// The longest time the main window's event loop goes without turning while
// the blog page lists and saves posts from a slow server. A timer in the
// window's own event loop notes the gaps between its ticks.
#include "app/startup.h"
#include "bench/service_process.h"
#include "store/file_writer.h"
#include "ui/main_window.h"
#include "ui/user_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr int kPosts = 20;
constexpr int kLatencyMs = 300;
constexpr int kTickMs = 5;

// Answers nothing and shows nothing, so only the work itself holds the loop.
class SilentDialogs final : public qzb::UserDialogs {
public:
    void showMessage(QWidget*, const QString&, const QString&, Icon) override {}
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseFolder(QWidget*, const QString&) override { return {}; }
    void setClipboardText(const QString&) override {}
    bool openUrl(const QUrl&) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qzb::bench::ServiceProcess service(
        {"--posts", std::to_string(kPosts), "--latency-ms", std::to_string(kLatencyMs)});
    if (service.port() == 0) {
        std::fprintf(stderr, "the sample service did not start\n");
        return 1;
    }
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    qzb::installPendingEventsHandler();

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qzb-event-loop-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    SilentDialogs dialogs;
    qzb::MainWindow window(dialogs, qzb::toPathText(folder));
    window.show();

    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    QElapsedTimer total;
    QTimer::singleShot(0, [&] {
        total.start();
        sinceTick.start();
        ticker.start(kTickMs);
        qobject_cast<QAbstractButton*>(window.control(QStringLiteral("anniu1")))->click();
        qobject_cast<QComboBox*>(window.control(QStringLiteral("zuhekuang1")))->setCurrentIndex(1);
        qobject_cast<QAbstractButton*>(window.control(QStringLiteral("xiazaianniu")))->click();
        ticker.stop();
        QApplication::quit();
    });
    QApplication::exec();
    std::filesystem::remove_all(folder);

    std::printf("longest event-loop stall while listing and saving %d posts (txt) from a server answering in "
                "%d ms: %lld ms over %.1f s (goal < 100 ms)\n",
                kPosts, kLatencyMs, static_cast<long long>(longestGap - kTickMs), total.elapsed() / 1000.0);
    return 0;
}
