// Saving N posts from a sample service that waits 20 ms before every answer,
// next to libcurl fetching the same N addresses in one process with one reused
// connection: the walk's cost beyond the network is the ratio.
#include "bench/service_process.h"
#include "net/text_encoding.h"
#include "qzone/blogs.h"
#include "store/blog_files.h"
#include "store/file_writer.h"

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>
#include <vector>

namespace {

constexpr int kPosts = 60;
constexpr int kRounds = 3;
constexpr const char* kAccount = "123456789";

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t discard(char*, std::size_t size, std::size_t count, void* total) {
    *static_cast<std::size_t*>(total) += size * count;
    return size * count;
}

double curlBaseline(const std::vector<qzb::BlogEntry>& posts, const std::string& proxy) {
    CURL* curl = curl_easy_init();
    std::size_t bytes = 0;
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bytes);
    const auto start = Clock::now();
    for (const auto& post : posts) {
        const std::string url = qzb::blogContentUrl(kAccount, post.blogId);
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_perform(curl);
    }
    const double seconds = secondsSince(start);
    curl_easy_cleanup(curl);
    return seconds;
}

double saveWalk(const std::vector<qzb::BlogEntry>& posts, qzb::BlogFormat format, int* saved) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qzb-save-walk-" + std::to_string(::getpid()));
    const std::string base = qzb::toPathText(folder);
    std::filesystem::create_directories(folder);
    const auto start = Clock::now();
    qzb::prepareBlogFolders(base, format);
    const auto outcome = qzb::downloadBlogPosts(
        kAccount, posts,
        [&](const qzb::BlogEntry&, int number, std::string_view page) {
            return qzb::saveBlogPost(base, format, qzb::gbk("下载的日志"), number, page);
        },
        {});
    const double seconds = secondsSince(start);
    *saved = outcome.saved;
    std::filesystem::remove_all(folder);
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    qzb::bench::ServiceProcess service({"--posts", std::to_string(kPosts), "--latency-ms", "20"});
    if (service.port() == 0) {
        std::fprintf(stderr, "the sample service did not start\n");
        return 1;
    }
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    const auto posts = qzb::listBlogs(kAccount).entries;
    if (posts.size() != static_cast<std::size_t>(kPosts)) {
        std::fprintf(stderr, "listed %zu posts, expected %d\n", posts.size(), kPosts);
        return 1;
    }
    for (auto [format, name] :
         {std::pair{qzb::BlogFormat::Html, "html"}, std::pair{qzb::BlogFormat::Text, "txt"}}) {
        std::vector<double> walks, baselines;
        int saved = 0;
        for (int round = 0; round < kRounds; ++round) {
            baselines.push_back(curlBaseline(posts, service.proxyUrl()));
            walks.push_back(saveWalk(posts, format, &saved));
        }
        const double walk = median(walks);
        const double baseline = median(baselines);
        std::printf(
            "save walk (%s, %d posts, 20 ms latency): %.0f ms, curl: %.0f ms, ratio %.3f (goal <= 1.15)%s\n",
            name, kPosts, walk * 1000, baseline * 1000, walk / baseline,
            saved == kPosts ? "" : " [posts missing]");
    }
    return 0;
}
