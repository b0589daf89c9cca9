// Peak memory of the process while it saves 1,000 photos of 2 MB from the
// sample service, which runs as a process of its own.
#include "bench/service_process.h"
#include "qzone/albums.h"
#include "qzone/photos.h"
#include "store/file_writer.h"
#include "store/photo_files.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

namespace {

constexpr int kPhotos = 1000;
constexpr std::size_t kPhotoBytes = 2u * 1024 * 1024;
constexpr const char* kAccount = "123456789";

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main() {
    qzb::bench::ServiceProcess service(
        {"--album-photos", std::to_string(kPhotos), "--photo-bytes", std::to_string(kPhotoBytes)});
    if (service.port() == 0) {
        std::fprintf(stderr, "the sample service did not start\n");
        return 1;
    }
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    const qzb::AlbumList albums = qzb::listAlbums(kAccount);
    if (!albums.route || albums.entries.empty()) {
        std::fprintf(stderr, "no albums listed\n");
        return 1;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qzb-photo-memory-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string folderText = qzb::toPathText(folder);
    const qzb::AlbumEntry& album = albums.entries.front();
    qzb::preparePhotoFolder(folderText, album.name);

    const double before = peakMegabytes();
    const auto start = std::chrono::steady_clock::now();
    const qzb::PhotoDownload outcome =
        qzb::downloadAlbumPhotos(kAccount, *albums.route, album,
                                 [&](int number, std::string_view bytes) {
                                     return qzb::savePhoto(folderText, album.name, number, bytes);
                                 },
                                 {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double peak = peakMegabytes();
    std::filesystem::remove_all(folder);

    std::printf("peak memory saving %d photos of 2 MB: %.1f MB (before the photos: %.1f MB) in %.1f s, "
                "%d saved, %d failed (goal < 80 MB)\n",
                outcome.listed, peak, before, seconds, outcome.saved, outcome.failed);
    return outcome.saved == kPhotos ? 0 : 1;
}
