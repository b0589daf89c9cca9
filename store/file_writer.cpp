#include "store/file_writer.h"

#include "net/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qzb {
namespace {

// Room for a running number, an extension and the temporary suffix within
// the usual limit of 255 bytes per name.
constexpr std::size_t kMaxNameBytes = 150;

bool isForbiddenByte(unsigned char byte) {
    constexpr std::string_view kForbidden = "\\/:*?\"<>|";
    return byte < 0x20 || byte == 0x7F || kForbidden.find(static_cast<char>(byte)) != std::string_view::npos;
}

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// Length of the character at the start of `text`: 1, 2 or 4 bytes, or 0 when
// its bytes are not well-formed GB18030.
std::size_t characterLength(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (byte(0) < 0x80)
        return 1;
    if (!inRange(byte(0), 0x81, 0xFE) || text.size() < 2)
        return 0;
    if (inRange(byte(1), 0x40, 0x7E) || inRange(byte(1), 0x80, 0xFE))
        return 2;
    if (inRange(byte(1), 0x30, 0x39) && text.size() >= 4 && inRange(byte(2), 0x81, 0xFE) &&
        inRange(byte(3), 0x30, 0x39))
        return 4;
    return 0;
}

bool isDotsAndBlanksOnly(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    bool close() {
        int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::filesystem::path toFileSystemPath(std::string_view pathText) {
    std::string utf8 = gbkToUtf8(pathText);
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    return std::filesystem::path(utf8);
}

std::string toPathText(const std::filesystem::path& path) {
    return utf8ToGbk(path.string());
}

std::string safeFileName(std::string_view name, std::string_view fallback) {
    std::string safe;
    std::size_t utf8Length = 0;
    while (!name.empty()) {
        std::size_t length = characterLength(name);
        std::size_t onDisk = 1;
        if (length > 1) {
            // The decoder's table decides, not the byte ranges: some well-formed
            // four-byte codes stand for no character (they would reach the disk as
            // "?"), and a few two-byte codes take four bytes in UTF-8.
            const std::string utf8 = gbkToUtf8(name.substr(0, length));
            if (utf8.find('?') == std::string::npos)
                onDisk = utf8.size();
            else
                length = 0;
        }
        const std::size_t taken = length == 0 ? 1 : length;
        utf8Length += onDisk;
        if (utf8Length > kMaxNameBytes)
            break;
        if (length == 0 || (length == 1 && isForbiddenByte(static_cast<unsigned char>(name[0]))))
            safe += '_';
        else
            safe.append(name.substr(0, length));
        name.remove_prefix(taken);
    }
    if (safe.empty() || isDotsAndBlanksOnly(safe))
        return std::string(fallback);
    return safe;
}

bool makeFolder(std::string_view pathText) {
    std::filesystem::path folder = toFileSystemPath(pathText);
    std::filesystem::path level;
    std::error_code error;
    for (const auto& part : folder) {
        level /= part;
        if (part.empty() || part == "/")
            continue;
        std::filesystem::create_directory(level, error);
    }
    return std::filesystem::is_directory(folder, error);
}

bool writeWholeFile(std::string_view pathText, std::string_view bytes) {
    std::filesystem::path target = toFileSystemPath(pathText);
    if (!target.has_filename())
        return false;
    std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0)
        return false;
    bool written = ::fchmod(file.get(), 0644) == 0 && writeAll(file.get(), bytes);
    written = file.close() && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace qzb
