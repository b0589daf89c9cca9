// Start-up of our program (skins written, main window shown) next to a bare
// Qt program showing a window, each as a whole process, alternating runs, on
// the platform QT_QPA_PLATFORM names (offscreen when unset). On a display
// server both pay for connecting to it and for the desktop's fonts and theme;
// offscreen the bare window draws no text at all.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRuns = 15;

double runSeconds(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string platform = getenv("QT_QPA_PLATFORM");
    std::vector<double> program, bare;
    for (int run = 0; run < kRuns; ++run) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("qzb-startup-" + std::to_string(getpid()) + "-" + std::to_string(run));
        std::filesystem::create_directories(folder);
        bare.push_back(runSeconds({QZB_BARE_PROBE}));
        program.push_back(runSeconds({QZB_PROGRAM_PROBE, folder.string()}));
        std::filesystem::remove_all(folder);
        if (bare.back() < 0 || program.back() < 0) {
            std::fprintf(stderr, "a start-up probe failed\n");
            return 1;
        }
    }
    const double ours = median(program);
    const double baseline = median(bare);
    // The goal is for a display; offscreen, the bare window never loads a font.
    const char* goal = platform == "offscreen" ? "for reference; the goal is on a display" : "goal < 1.5";
    std::printf("start-up to the main window shown, skins written (%s): %.0f ms, bare Qt window: %.0f ms, "
                "ratio %.2f (%s)\n",
                platform.c_str(), ours * 1000, baseline * 1000, ours / baseline, goal);
    return 0;
}
