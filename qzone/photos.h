#pragma once

#include "qzone/albums.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qzb {

[[nodiscard]] std::string photoListUrl(const AlbumRoute& route, std::string_view account,
                                       std::string_view albumId);
// The addresses inside the photo array, in order, backslashes removed; the
// array ends at its first closing "}\n   ],\n", and an empty array holds none.
[[nodiscard]] std::vector<std::string> parsePhotoList(std::string_view answer);
[[nodiscard]] std::vector<std::string> listPhotoUrls(std::string_view account, const AlbumRoute& route,
                                                     std::string_view albumId);

// Only http and https addresses of other machines: an answer must not make the
// tool read local files or talk to services on this machine.
[[nodiscard]] bool isAcceptablePhotoUrl(std::string_view url);

struct PhotoDownload {
    bool listRead =
        false;      // the photo list was read whole and not refused; the photos found are tried either way
    int listed = 0; // addresses in the list
    int saved = 0;
    int failed = 0;
    bool stopped = false; // asked to stop before the last photo
};

// Writes one photo's bytes; `number` is its place in the album's list, from 1.
using SavePhoto = std::function<bool(int number, std::string_view bytes)>;
// Called after each photo with the number of photos tried and their total.
using PhotoProgress = std::function<void(int tried, int total)>;
// Asked before each photo; true ends the download there.
using StopPhotos = std::function<bool()>;

// Fetches the album's photo list, then every photo once, in order, one after
// the other. A photo that cannot be fetched or written leaves no file and is
// counted as failed.
PhotoDownload downloadAlbumPhotos(std::string_view account, const AlbumRoute& route, const AlbumEntry& album,
                                  const SavePhoto& save, const PhotoProgress& progress,
                                  const StopPhotos& stopRequested = {});

// "下载中！！请稍后。。。。。"
[[nodiscard]] std::string photoDownloadingText();
// "请选择要下载的相册"
[[nodiscard]] std::string noAlbumChosenText();

} // namespace qzb
