#include "store/photo_files.h"

#include "net/text_encoding.h"
#include "store/file_writer.h"

namespace qzb {

std::string photoFolder(std::string_view folder, std::string_view albumName) {
    return std::string(folder) + "\\" + safeFileName(albumName, gbk("相册"));
}

std::string photoFilePath(std::string_view folder, std::string_view albumName, int number) {
    return photoFolder(folder, albumName) + "\\" + std::to_string(number) + ".gif";
}

// An empty folder would put the album at the root of the file system.
bool preparePhotoFolder(std::string_view folder, std::string_view albumName) {
    return !folder.empty() && makeFolder(photoFolder(folder, albumName));
}

bool savePhoto(std::string_view folder, std::string_view albumName, int number, std::string_view bytes) {
    return !folder.empty() && writeWholeFile(photoFilePath(folder, albumName, number), bytes);
}

} // namespace qzb
