#pragma once

#include <string>
#include <string_view>

// Where and how blog posts are saved: under the base directory B, the folder
// "\下载的日志：<site host>" holds the web pages, its subfolder "\txt格式日志"
// the text and document files. Path texts as in file_writer.h.
namespace qzb {

enum class BlogFormat { Html, Text, Doc };

// The format box's choice: "txt格式", "html格式", and anything else is the document format.
[[nodiscard]] BlogFormat blogFormatFromChoice(std::string_view choice);

[[nodiscard]] std::string blogFolder(std::string_view base);
[[nodiscard]] std::string blogTextFolder(std::string_view base);
[[nodiscard]] std::string blogFooter();

// The file of the post at `number` (from 1) in the list, named by the save name and the number.
[[nodiscard]] std::string blogFilePath(std::string_view base, BlogFormat format, std::string_view saveName,
                                       int number);

// Creates the folders that `format` writes into.
bool prepareBlogFolders(std::string_view base, BlogFormat format);

// Writes one post: the answer as it came for a web page, its page text and the
// footer for the text and document formats.
bool saveBlogPost(std::string_view base, BlogFormat format, std::string_view saveName, int number,
                  std::string_view answer);

} // namespace qzb
