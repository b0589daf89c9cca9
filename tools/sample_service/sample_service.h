#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
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
    NoSuccessMarker, // the endpoint's refusal, as a visitor without access to the space gets it
    Truncate,        // the normal answer cut right after the first `cutAfter` text
    RepeatFirstPage, // every page of a paged list answers as its first page
    Move,            // "301 Moved Permanently" to `location`
    MoveLoop,        // "301 Moved Permanently" to the very address asked for
    Oversize,        // a body of `bodyBytes` bytes
    EmptyBody,       // "200 OK" with nothing in the body
    SetCookies,      // the normal answer with one Set-Cookie line per item of `setCookies`
    Utf8Body,        // a GBK answer in UTF-8, declared with "charset=utf-8"; others unchanged
    UndeclaredUtf8,  // the answer in UTF-8 (converted if GBK) with no charset in its Content-Type
    PhotoAddresses,  // a photo list naming the addresses of `addresses` instead of the album's
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
    std::vector<std::string> addresses{};
};

struct Options {
    int posts = 23;
    int moods = 23;
    // One album per entry, holding that many photos.
    std::vector<int> albumPhotos{3, 0, 5, 12, 1, 2, 4, 7, 1};
    // Size of every photo file; 0 gives small generated GIF pictures.
    std::size_t photoBytes = 0;
    // Hosts named by the album route answer; an empty default host makes the
    // client fall back to the backup entry.
    std::string routeDefaultHost = "sz.photo.store.qq.com";
    std::string routeBackupHost = "szbak.photo.store.qq.com";
    // The version the update page announces, in the form of the program's own
    // version text (written here in UTF-8, served in GBK).
    std::string updateVersion = "版本号：V1.1";
    std::chrono::milliseconds latency{0}; // waited before every answer
    std::vector<Fault> faults{};
};

// One post of the sample account, as it stands in the answers (GBK bytes).
struct SamplePost {
    std::string blogId;
    std::string title;

    bool operator==(const SamplePost&) const = default;
};

// One mood: its text as the client holds it after converting the UTF-8 answer (GB18030 bytes).
struct SampleMood {
    std::string con;

    bool operator==(const SampleMood&) const = default;
};

// One album, with its fields as the client takes them out of the answer:
// texts byte for byte, numbers as decimal texts, the cover address with the
// answer's backslashes removed.
struct SampleAlbum {
    std::string id;
    std::string name;
    std::string classid;
    std::string comment;
    std::string createtime;
    std::string desc;
    std::string pre;
    std::string allowAccess;
    std::string question;
    std::string total;
    // Photo addresses in album order, backslashes removed.
    std::vector<std::string> photoUrls;

    bool operator==(const SampleAlbum&) const = default;
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
    [[nodiscard]] std::vector<SampleMood> moods() const;
    [[nodiscard]] std::vector<SampleAlbum> albums() const;

    [[nodiscard]] std::vector<RecordedRequest> requests() const;
    void clearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The posts of a sample account of `count` posts: Chinese titles, some holding escaped quotes.
[[nodiscard]] std::vector<SamplePost> samplePosts(int count);
// The page served for a post's content (GBK HTML).
[[nodiscard]] std::string samplePostPage(const SamplePost& post);
[[nodiscard]] std::vector<SampleMood> sampleMoods(int count);
[[nodiscard]] std::vector<SampleAlbum> sampleAlbums(const std::vector<int>& albumPhotos);
// The bytes served for one photo address of sampleAlbums().
[[nodiscard]] std::string samplePhotoBytes(std::string_view photoUrl, std::size_t size);
// The update page announcing `version` (UTF-8 in, GBK page out), and the two
// further texts it carries (UTF-8).
[[nodiscard]] std::string sampleUpdatePage(std::string_view version);
inline constexpr std::string_view kSampleWhatsNew = "更新内容：修复若干问题";
inline constexpr std::string_view kSampleDownloadUrl = "http://moshu.example/download/qzone-backup-1.2.zip";

} // namespace qzb::sample
