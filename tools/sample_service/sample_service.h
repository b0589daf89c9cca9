#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A stand-in for the QQ Zone endpoints, on loopback. It answers plain requests
// and proxy-form requests (an absolute address in the request line), so the
// program reaches it through http_proxy whatever host an address names.
namespace qzb::sample {

enum class FaultKind {
    None,
    CloseMidBody,    // announce the full length, send part of the body, close the connection
    Stall,           // send the headers and part of the body, then nothing until stopped
    Status,          // answer with `status` and a short error page
    NoSuccessMarker, // a blog-list answer whose code is not 0
    Truncate,        // the normal answer cut right after the first `cutAfter` text
    RepeatFirstPage, // every page of a paged list answers as its first page
    Move,            // "301 Moved Permanently" to `location`
    MoveLoop,        // "301 Moved Permanently" to the very address asked for
    Oversize,        // a body of `bodyBytes` bytes
    EmptyBody,       // "200 OK" with nothing in the body
    SetCookies,      // the normal answer with one Set-Cookie line per item of `setCookies`
    Utf8Body,        // the normal answer in UTF-8, declared with "charset=utf-8"
};

// A fault applies to every request whose target (path and query) contains `targetContains`.
struct Fault {
    std::string targetContains{};
    FaultKind kind = FaultKind::None;
    int status = 500;
    std::string cutAfter{};
    std::string location{};
    std::size_t bodyBytes = 0;
    std::vector<std::string> setCookies{};
};

struct Options {
    int posts = 23;
    std::chrono::milliseconds latency{0}; // waited before every answer
    std::vector<Fault> faults{};
};

// One post of the sample account, as it stands in the answers (GBK bytes).
struct SamplePost {
    std::string blogId;
    std::string title;

    bool operator==(const SamplePost&) const = default;
};

struct RecordedRequest {
    std::string method;
    std::string target; // the request line's target as sent: a path, or an absolute address
    std::string host;   // the Host header
    std::string pathAndQuery;
    std::multimap<std::string, std::string> headers;
    int clientPort = 0; // the same port for requests that shared one connection
};

class SampleService {
public:
    explicit SampleService(Options options = {});
    ~SampleService();
    SampleService(const SampleService&) = delete;
    SampleService& operator=(const SampleService&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free one. Returns false when it cannot listen.
    bool start(int port = 0);
    void stop();
    [[nodiscard]] int port() const;
    // "http://127.0.0.1:<port>", for http_proxy.
    [[nodiscard]] std::string proxyUrl() const;

    void setOptions(Options options);
    [[nodiscard]] Options options() const;
    [[nodiscard]] std::vector<SamplePost> posts() const;

    [[nodiscard]] std::vector<RecordedRequest> requests() const;
    void clearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The posts of a sample account of `count` posts: Chinese titles, some holding escaped quotes.
[[nodiscard]] std::vector<SamplePost> samplePosts(int count);

} // namespace qzb::sample
