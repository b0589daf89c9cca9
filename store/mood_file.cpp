#include "store/mood_file.h"

#include "net/text_encoding.h"
#include "qzb_build_config.h"
#include "store/file_writer.h"

namespace qzb {

std::string moodFooter() {
    return "\r\n\r\n\r\n\r\n\r\n" + std::string(20, ' ') + gbk("本说说由墨枢日志备份工具保存： 官网：") +
           std::string(config::kSiteHost);
}

std::string moodFileContent(const std::vector<std::string>& moods) {
    std::string content;
    for (const std::string& mood : moods) {
        if (!content.empty())
            content += "\r\n";
        content += mood;
    }
    return content + moodFooter();
}

bool saveMoodFile(std::string_view pathText, const std::vector<std::string>& moods) {
    return writeWholeFile(pathText, moodFileContent(moods));
}

} // namespace qzb
