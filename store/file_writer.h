#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Path texts are in the program's byte encoding with "\" between folders, as
// the rest of the program builds them; they become file-system paths only here.
namespace qzb {

// GBK to UTF-8 first, then "\" to "/": a GBK trail byte can be 0x5C, a UTF-8 byte never is.
[[nodiscard]] std::filesystem::path toFileSystemPath(std::string_view pathText);
// The reverse, for paths that come from the file system or a dialog.
[[nodiscard]] std::string toPathText(const std::filesystem::path& path);

// A name taken from user input or from the service, made safe as one file or
// folder name: \ / : * ? " < > | and control characters become "_", a name of
// dots only cannot climb out of its folder, and a long name is shortened on a
// character boundary. A name left empty becomes `fallback`.
[[nodiscard]] std::string safeFileName(std::string_view name, std::string_view fallback);

// Creates the folder one level at a time, parent first; an existing folder is no error.
bool makeFolder(std::string_view pathText);

// Writes the whole file under a temporary name in its folder and renames it over
// the target, so an existing file is never left half written or emptied.
bool writeWholeFile(std::string_view pathText, std::string_view bytes);

} // namespace qzb
