#include "qzone/moods.h"

#include "net/http_request.h"
#include "net/pattern_matcher.h"
#include "net/text_encoding.h"
#include "qzb_build_config.h"
#include "qzone/account_number.h"
#include "qzone/callback_answer.h"

#include <algorithm>

namespace qzb {
namespace {

constexpr std::string_view kTextMarker = "\"conlist\":[{\"con\":\"";
constexpr std::string_view kTextTerminator = "\",\"createTime\"";
constexpr std::string_view kMoodPath = "/cgi-bin/emotion_cgi_msglist_v6";

// The endpoint's own address as the cgi_host value: ":" as "%3A", "/" as "%2F".
std::string encodedEndpoint() {
    std::string endpoint = "http://" + std::string(config::kMoodHost) + std::string(kMoodPath);
    std::string encoded;
    for (char c : endpoint) {
        if (c == ':')
            encoded += "%3A";
        else if (c == '/')
            encoded += "%2F";
        else
            encoded += c;
    }
    return encoded;
}

} // namespace

std::string moodListUrl(std::string_view account, int page) {
    std::string url = "http://";
    url += config::kMoodHost;
    url += kMoodPath;
    url += "?uin=";
    url += account;
    url += "&inCharset=utf-8&outCharset=utf-8&hostUin=";
    url += account;
    url += "&notice=0&sort=0&pos=";
    url += std::to_string(page);
    url += "0&num=10&cgi_host=";
    url += encodedEndpoint();
    url += "&code_version=1&format=jsonp&g_tk=";
    url += config::kMoodToken;
    return url;
}

std::vector<MoodEntry> parseMoodPage(std::string_view answer) {
    std::vector<MoodEntry> entries;
    for (std::string& text : extractBetween(answer, kTextMarker, kTextTerminator))
        entries.push_back({std::move(text)});
    return entries;
}

MoodListPage fetchMoodPage(std::string_view account, int page) {
    MoodListPage result;
    if (!isValidAccountNumber(account))
        return result;
    WebRequest request;
    request.url = moodListUrl(account, page);
    WebReply reply = sendWebRequest(request);
    result.answered = isSuccess(reply.headers);
    // The request asks for UTF-8; the request layer has converted the answer
    // when it said so, and an answer that did not is converted here, once.
    const std::string answer = declaresUtf8(reply.headers) ? reply.body : utf8ToGbk(reply.body);
    result.answered = result.answered && !isRefusal(answer);
    result.entries = parseMoodPage(answer);
    result.whole = isWholeCallback(answer);
    return result;
}

MoodList listMoods(std::string_view account) {
    MoodList list;
    if (!isValidAccountNumber(account))
        return list;
    std::vector<MoodEntry> previous;
    for (int page = 0;; ++page) {
        MoodListPage current = fetchMoodPage(account, page);
        if (!current.answered || (!previous.empty() && current.entries == previous))
            return list;
        if (current.entries.empty() && current.whole) {
            list.complete = true;
            return list;
        }
        list.entries.insert(list.entries.end(), current.entries.begin(), current.entries.end());
        if (!current.whole)
            return list;
        previous = std::move(current.entries);
    }
}

std::string moodCountText(std::size_t count) {
    return std::to_string(count) + gbk("条说说");
}

} // namespace qzb
