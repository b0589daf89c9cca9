#pragma once

#include <string>
#include <string_view>

// Photos of an album go into a subfolder named after the album inside the
// chosen folder, numbered from 1, each ending in ".gif" whatever its format.
namespace qzb {

[[nodiscard]] std::string photoFolder(std::string_view folder, std::string_view albumName);
[[nodiscard]] std::string photoFilePath(std::string_view folder, std::string_view albumName, int number);

bool preparePhotoFolder(std::string_view folder, std::string_view albumName);
// Writes the photo's bytes exactly as fetched.
bool savePhoto(std::string_view folder, std::string_view albumName, int number, std::string_view bytes);

} // namespace qzb
