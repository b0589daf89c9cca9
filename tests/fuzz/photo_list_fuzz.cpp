#include "net/http_request.h"
#include "qzone/albums.h"
#include "qzone/photos.h"
#include "tests/fuzz/fuzz_support.h"

using namespace qzb;
using namespace qzb::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = asText(data, size);
    const std::vector<std::string> urls = parsePhotoList(answer);
    if (urls.empty())
        return 0;
    require(answer.find("\"pic\" : ") != std::string_view::npos, "addresses need the photo array");
    require(answer.find("}\n   ],\n") != std::string_view::npos, "addresses need the array's end");
    require(urls.size() <= occurrences(answer, "\"url\" : \""), "one address per marker at most");
    for (const std::string& url : urls) {
        require(url.find('\\') == std::string::npos, "an address holds no backslash");
        require(url.size() <= answer.size(), "an address is no longer than the answer");
        if (isAcceptablePhotoUrl(url)) {
            const UrlParts parts = splitUrl(url);
            require(parts.valid && isPlainHostName(parts.host), "an accepted address has a plain host");
        }
    }
    return 0;
}
