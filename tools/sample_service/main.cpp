#include "tools/sample_service/sample_service.h"

#include <pthread.h>

#include <charconv>
#include <csignal>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

std::optional<int> nonNegative(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

int usage() {
    std::cerr
        << "usage: sample_service [--port N] [--posts N] [--moods N] [--photo-bytes N] [--album-photos N]\n"
           "                      [--latency-ms N]\n"
           "  --album-photos N  the first album holds N photos\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int port = 0;
    qzb::sample::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        const auto value = i + 1 < argc ? nonNegative(argv[++i]) : std::nullopt;
        if (!value) {
            return usage();
        }
        if (flag == "--port" && *value <= 65535) {
            port = *value;
        } else if (flag == "--posts") {
            options.posts = *value;
        } else if (flag == "--moods") {
            options.moods = *value;
        } else if (flag == "--photo-bytes") {
            options.photoBytes = static_cast<std::size_t>(*value);
        } else if (flag == "--album-photos") {
            options.albumPhotos.front() = *value;
        } else if (flag == "--latency-ms") {
            options.latency = std::chrono::milliseconds(*value);
        } else {
            return usage();
        }
    }

    // Blocked before the service starts its threads, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    qzb::sample::SampleService service(std::move(options));
    if (!service.start(port)) {
        std::cerr << "sample service cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    // Scripts read the port from this line.
    std::cout << "sample service listening on 127.0.0.1:" << service.port() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    service.stop();
    return 0;
}
