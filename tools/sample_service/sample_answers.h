#pragma once

#include "tools/sample_service/sample_service.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The answers of the sample service, apart from how they are served.
namespace qzb::sample {

inline constexpr std::string_view kGbkHtml = "text/html; charset=gbk";

struct Reply {
    int status = 200;
    std::string body;
    std::string_view contentType = kGbkHtml;
};

// What the answers are made of, built once per Options.
struct SampleAccount {
    std::vector<SamplePost> posts;
    std::vector<std::string> moodTexts; // as the mood answers write them (UTF-8)
    std::vector<SampleMood> moods;
    std::vector<SampleAlbum> albums;
    // A photo's path and query (what identifies it on any host) to its address.
    std::map<std::string, std::string, std::less<>> photoByTarget;
};

[[nodiscard]] SampleAccount sampleAccount(const Options& options);

[[nodiscard]] std::string errorPage(int status);

// A photo list answer naming `urls`, each "/" written "\/" as the service does.
[[nodiscard]] std::string photoListAnswer(const std::string& albumName, const std::vector<std::string>& urls);

// The answer to a GET of `pathAndQuery`; `refuse` gives what a visitor without
// access to the space gets from that endpoint.
[[nodiscard]] Reply answer(std::string_view pathAndQuery, const SampleAccount& account,
                           const Options& options, bool refuse);

} // namespace qzb::sample
