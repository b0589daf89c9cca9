#include "store/blog_files.h"

#include "net/page_text.h"
#include "net/text_encoding.h"
#include "qzb_build_config.h"
#include "store/file_writer.h"

namespace qzb {
namespace {

std::string_view extensionOf(BlogFormat format) {
    switch (format) {
    case BlogFormat::Html:
        return ".html";
    case BlogFormat::Text:
        return ".txt";
    case BlogFormat::Doc:
        return ".Doc";
    }
    return ".Doc";
}

} // namespace

BlogFormat blogFormatFromChoice(std::string_view choice) {
    if (choice == gbk("txt格式"))
        return BlogFormat::Text;
    if (choice == gbk("html格式"))
        return BlogFormat::Html;
    return BlogFormat::Doc;
}

std::string blogFolder(std::string_view base) {
    return std::string(base) + gbk("\\下载的日志：") + std::string(config::kSiteHost);
}

std::string blogTextFolder(std::string_view base) {
    return blogFolder(base) + gbk("\\txt格式日志");
}

std::string blogFooter() {
    return gbk("\r\n\r\n\r\n\r\n\r\n\r\n\r\n        本日志由墨枢日志备份工具保存： 官网：") +
           std::string(config::kSiteHost);
}

std::string blogFilePath(std::string_view base, BlogFormat format, std::string_view saveName, int number) {
    std::string folder = format == BlogFormat::Html ? blogFolder(base) : blogTextFolder(base);
    return folder + "\\" + safeFileName(saveName, gbk("下载的日志")) + std::to_string(number) +
           std::string(extensionOf(format));
}

bool prepareBlogFolders(std::string_view base, BlogFormat format) {
    return makeFolder(format == BlogFormat::Html ? blogFolder(base) : blogTextFolder(base));
}

bool saveBlogPost(std::string_view base, BlogFormat format, std::string_view saveName, int number,
                  std::string_view answer) {
    std::string path = blogFilePath(base, format, saveName, number);
    if (format == BlogFormat::Html)
        return writeWholeFile(path, answer);
    return writeWholeFile(path, pageTextFromHtml(answer) + blogFooter());
}

} // namespace qzb
