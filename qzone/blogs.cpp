#include "qzone/blogs.h"

#include "net/http_request.h"
#include "net/pattern_matcher.h"
#include "net/text_encoding.h"
#include "qzb_build_config.h"
#include "qzone/account_number.h"
#include "qzone/callback_answer.h"

namespace qzb {
namespace {

constexpr std::string_view kSuccessMarker = "_Callback({\n\t\"code\":0,\n\t\"subcode\":0";
constexpr std::string_view kIdMarker = "{\"blogId\":";
constexpr std::string_view kIdTerminator = ",\n\"blogType\":";
constexpr std::string_view kTitleMarker = "\",\n\"title\":\"";
constexpr std::string_view kTitleTerminator = "\",\n\"commentNum\"";

} // namespace

std::string blogListUrl(std::string_view account, int offset) {
    std::string url = "http://";
    url += config::kBlogListHost;
    url += "/cgi-bin/blognew/get_abs?hostUin=";
    url += account;
    url += "&blogType=0&cateName=&cateHex=&statYear=&reqInfo=1&pos=";
    url += std::to_string(offset);
    url += "&num=15&sortType=0&absType=0&source=0&rand=0.964334683477444&ref=qzone&g_tk=";
    url += config::kBlogToken;
    url += "&verbose=0&iNotice=0&inCharset=gbk&outCharset=gbk&format=jsonp";
    return url;
}

BlogListPage parseBlogPage(std::string_view answer) {
    BlogListPage page;
    page.success = findText(answer, kSuccessMarker).has_value();
    page.whole = isWholeCallback(answer);
    std::size_t position = 0;
    while (auto id = findBetween(answer, kIdMarker, kIdTerminator, position)) {
        std::size_t recordBegin = id->valueBegin - kIdMarker.size();
        std::size_t recordEnd = findText(answer, kIdMarker, id->valueBegin).value_or(answer.size());
        std::string_view record = answer.substr(recordBegin, recordEnd - recordBegin);
        BlogEntry entry;
        entry.blogId = std::string(answer.substr(id->valueBegin, id->valueEnd - id->valueBegin));
        entry.title = firstBetween(record, kTitleMarker, kTitleTerminator);
        page.entries.push_back(std::move(entry));
        position = recordEnd;
    }
    return page;
}

BlogListPage fetchBlogPage(std::string_view account, int offset) {
    if (!isValidAccountNumber(account))
        return {};
    WebRequest request;
    request.url = blogListUrl(account, offset);
    return parseBlogPage(sendWebRequest(request).body);
}

BlogList listBlogs(std::string_view account) {
    BlogList list;
    if (!isValidAccountNumber(account))
        return list;
    std::vector<BlogEntry> previous;
    for (int offset = 0;; offset += kBlogsPerPage) {
        BlogListPage page = fetchBlogPage(account, offset);
        if (!page.success || (!previous.empty() && page.entries == previous))
            return list;
        list.entries.insert(list.entries.end(), page.entries.begin(), page.entries.end());
        if (!page.whole)
            return list;
        if (page.entries.size() < static_cast<std::size_t>(kBlogsPerPage)) {
            list.complete = true;
            return list;
        }
        previous = std::move(page.entries);
    }
}

std::string blogContentUrl(std::string_view account, std::string_view blogId) {
    std::string url = "http://";
    url += config::kBlogContentHost;
    url += "/cgi-bin/blognew/blog_output_data?uin=";
    url += account;
    url += "&blogid=";
    // Ids are digits, which pass unchanged; anything else in an answer must
    // not reshape the address.
    url += urlEncode(blogId);
    return url;
}

std::string fetchBlogContent(std::string_view account, std::string_view blogId) {
    if (!isValidAccountNumber(account))
        return {};
    WebRequest request;
    request.url = blogContentUrl(account, blogId);
    WebReply reply = sendWebRequest(request);
    if (!isSuccess(reply.headers))
        return {};
    return std::move(reply.body);
}

DownloadOutcome downloadBlogPosts(std::string_view account, const std::vector<BlogEntry>& posts,
                                  const SaveBlogPost& save, const ProgressText& progress,
                                  const StopRequested& stopRequested) {
    DownloadOutcome outcome;
    int number = 0;
    for (const BlogEntry& post : posts) {
        if (stopRequested && stopRequested()) {
            outcome.stopped = true;
            break;
        }
        ++number;
        const std::string page = fetchBlogContent(account, post.blogId);
        if (page.empty() || !save(post, number, page)) {
            ++outcome.failed;
            continue;
        }
        ++outcome.saved;
        if (progress)
            progress(blogProgressText(outcome.saved));
    }
    return outcome;
}

std::string blogProgressText(int saved) {
    return gbk("下载到了") + std::to_string(saved) + gbk("篇日志");
}

std::string blogEndMessage(const DownloadOutcome& outcome) {
    std::string message = gbk("下载完成！");
    if (outcome.failed > 0)
        message += gbk("\r\n有") + std::to_string(outcome.failed) + gbk("篇日志未能保存。");
    return message;
}

std::string blogEndTitle() {
    return gbk("友情提示");
}

} // namespace qzb
