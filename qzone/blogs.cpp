#include "qzone/blogs.h"

#include "net/http_request.h"
#include "net/pattern_matcher.h"
#include "qzb_build_config.h"
#include "qzone/account_number.h"

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

BlogPage parseBlogPage(std::string_view answer) {
    BlogPage page;
    page.success = findText(answer, kSuccessMarker).has_value();
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

BlogPage fetchBlogPage(std::string_view account, int offset) {
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
        BlogPage page = fetchBlogPage(account, offset);
        if (!page.success || (!previous.empty() && page.entries == previous))
            return list;
        list.entries.insert(list.entries.end(), page.entries.begin(), page.entries.end());
        if (page.entries.size() < static_cast<std::size_t>(kBlogsPerPage)) {
            list.complete = true;
            return list;
        }
        previous = std::move(page.entries);
    }
}

} // namespace qzb
