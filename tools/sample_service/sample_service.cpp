#include "tools/sample_service/sample_service.h"

#include "net/text_encoding.h"

#include <httplib.h>

#include <poll.h>
#include <sys/socket.h>

#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string_view>
#include <thread>

namespace qzb::sample {
namespace {

constexpr std::string_view kBlogListPath = "/cgi-bin/blognew/get_abs";
constexpr const char* kGbkHtml = "text/html; charset=gbk";
constexpr std::chrono::milliseconds kStopPollInterval{5};
// Enough workers for a program and a benchmark talking to the service side by side.
constexpr std::size_t kWorkerThreads = 16;
// libcurl keeps one connection per host; let it carry a whole backup.
constexpr std::size_t kKeepAliveRequests = 100000;

struct Reply {
    int status = 200;
    std::string body;
};

// A proxy-form target ("http://host[:port]/path?query") loses its scheme and
// host; a plain target is already a path and query.
std::string pathAndQueryOf(const std::string& target) {
    constexpr std::string_view scheme = "http://";
    if (target.size() < scheme.size() ||
        !std::equal(scheme.begin(), scheme.end(), target.begin(),
                    [](char s, char t) { return s == std::tolower(static_cast<unsigned char>(t)); })) {
        return target;
    }
    const auto authorityEnd = target.find_first_of("/?", scheme.size());
    if (authorityEnd == std::string::npos) {
        return "/";
    }
    return target[authorityEnd] == '?' ? "/" + target.substr(authorityEnd) : target.substr(authorityEnd);
}

std::string_view pathOf(std::string_view pathAndQuery) {
    return pathAndQuery.substr(0, pathAndQuery.find('?'));
}

std::optional<std::string_view> queryValue(std::string_view pathAndQuery, std::string_view key) {
    const auto question = pathAndQuery.find('?');
    if (question == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = pathAndQuery.substr(question + 1);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        const auto eq = item.find('=');
        if (item.substr(0, eq) == key) {
            return eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
        }
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    }
    return std::nullopt;
}

std::optional<std::size_t> decimal(std::string_view text) {
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool isAccountNumber(std::string_view text) {
    return text.size() >= 5 && text.size() <= 11 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string errorPage(int status) {
    const std::string code = std::to_string(status);
    return "<html><head><title>" + code + "</title></head><body><h1>" + code +
           "</h1><p>The request could not be served.</p></body></html>";
}

// The service prints its objects with a line feed after every comma and a tab
// before every top-level key; the program's markers depend on that layout.
std::string blogRecord(const SamplePost& post, std::size_t index) {
    static const std::string kCategories[] = {gbk("个人日记"), gbk("心情随笔"), gbk("读书")};
    const std::string day = std::to_string(10 + index % 18);
    return "{\"blogId\":" + post.blogId + ",\n\"blogType\":0,\n\"cate\":\"" +
           kCategories[index % std::size(kCategories)] + "\",\n\"title\":\"" + post.title +
           "\",\n\"commentNum\":" + std::to_string(index * 7 % 11) +
           ",\n\"readNum\":" + std::to_string(40 + index * 13 % 97) + ",\n\"pubTime\":\"2013-04-" + day +
           " 21:" + std::to_string(10 + index % 50) + "\",\n\"effect\":0}";
}

std::string blogListAnswer(const std::vector<SamplePost>& posts, std::size_t pos, std::size_t num) {
    std::string out =
        "_Callback({\n\t\"code\":0,\n\t\"subcode\":0,\n\t\"message\":\"\",\n\t\"default\":0,\n\t"
        "\"data\":{\"list\":[";
    const std::size_t begin = std::min(pos, posts.size());
    const std::size_t end = begin + std::min(num, posts.size() - begin);
    for (std::size_t i = begin; i < end; ++i) {
        if (i != begin) {
            out += ",\n";
        }
        out += blogRecord(posts[i], i);
    }
    out += "],\n\"totalNum\":" + std::to_string(posts.size()) + "}\n});";
    return out;
}

// What the service says to a visitor who may not read the space (or a broken request).
std::string blogListRefusal() {
    return "_Callback({\n\t\"code\":-3000,\n\t\"subcode\":-4001,\n\t\"message\":\"" + gbk("请先登录空间") +
           "\",\n\t\"notice\":0,\n\t\"time\":1365000000,\n\t\"tips\":\"" + gbk("没有访问权限") +
           "\",\n\t\"data\":{}\n});";
}

Reply blogList(std::string_view pathAndQuery, const std::vector<SamplePost>& posts, bool refuse) {
    const auto account = queryValue(pathAndQuery, "hostUin");
    const auto pos = decimal(queryValue(pathAndQuery, "pos").value_or("0"));
    const auto num = decimal(queryValue(pathAndQuery, "num").value_or("15"));
    if (refuse || !account || !isAccountNumber(*account) || !pos || !num) {
        return {200, blogListRefusal()};
    }
    return {200, blogListAnswer(posts, *pos, *num)};
}

Reply answer(std::string_view pathAndQuery, const std::vector<SamplePost>& posts, bool refuse) {
    if (pathOf(pathAndQuery) == kBlogListPath) {
        return blogList(pathAndQuery, posts, refuse);
    }
    return {404, errorPage(404)};
}

// httplib hands a handler no socket; the connection is found by its two ports,
// so a stalled answer can end when its client hangs up.
int connectionSocket(const httplib::Request& req) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = -1;
        const std::string name = entry.path().filename().string();
        if (std::from_chars(name.data(), name.data() + name.size(), fd).ec != std::errc{}) {
            continue;
        }
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0 &&
            local.sin_family == AF_INET && ntohs(local.sin_port) == req.local_port &&
            ntohs(peer.sin_port) == req.remote_port) {
            return fd;
        }
    }
    return -1;
}

bool peerHungUp(int fd) {
    pollfd p{fd, POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// The same address asking for the first page: every "pos" value becomes 0.
std::string firstPageOf(std::string_view pathAndQuery) {
    std::string rewritten;
    for (std::size_t at = 0; at < pathAndQuery.size();) {
        const std::size_t key = pathAndQuery.find("pos=", at);
        const bool startsKey = key != std::string_view::npos && key > 0 &&
                               (pathAndQuery[key - 1] == '&' || pathAndQuery[key - 1] == '?');
        if (key == std::string_view::npos) {
            rewritten += pathAndQuery.substr(at);
            break;
        }
        rewritten += pathAndQuery.substr(at, key + 4 - at);
        at = key + 4;
        if (startsKey) {
            rewritten += '0';
            while (at < pathAndQuery.size() && pathAndQuery[at] != '&') {
                ++at;
            }
        }
    }
    return rewritten;
}

const Fault* faultFor(const std::vector<Fault>& faults, std::string_view pathAndQuery) {
    const auto it = std::find_if(faults.begin(), faults.end(), [&](const Fault& f) {
        return f.kind != FaultKind::None && pathAndQuery.find(f.targetContains) != std::string_view::npos;
    });
    return it == faults.end() ? nullptr : &*it;
}

} // namespace

struct SampleService::Impl {
    mutable std::mutex m_mutex;
    std::condition_variable m_stopSignal;
    bool m_stopping = false;
    Options m_options;
    std::shared_ptr<const std::vector<SamplePost>> m_posts;
    std::vector<RecordedRequest> m_requests;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;

    void setOptions(Options options) {
        auto posts = std::make_shared<const std::vector<SamplePost>>(samplePosts(options.posts));
        std::lock_guard lock(m_mutex);
        m_options = std::move(options);
        m_posts = std::move(posts);
    }

    void record(const httplib::Request& req) {
        RecordedRequest r{
            req.method, req.target,     req.get_header_value("Host"), pathAndQueryOf(req.target),
            {},         req.remote_port};
        for (const auto& [name, value] : req.headers) {
            // httplib adds the connection's addresses as headers; they were never sent.
            if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" &&
                name != "LOCAL_PORT") {
                r.headers.emplace(name, value);
            }
        }
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(r));
    }

    // Returns false when the service is stopping.
    bool waitUnlessStopping(std::chrono::milliseconds duration) {
        std::unique_lock lock(m_mutex);
        return !m_stopSignal.wait_for(lock, duration, [this] { return m_stopping; });
    }

    void stallUntilStopOrHangUp(int fd) {
        std::unique_lock lock(m_mutex);
        while (!m_stopping && !(fd >= 0 && peerHungUp(fd))) {
            m_stopSignal.wait_for(lock, kStopPollInterval);
        }
    }

    void handle(const httplib::Request& req, httplib::Response& res) {
        const std::string pathAndQuery = pathAndQueryOf(req.target);
        Options options;
        std::shared_ptr<const std::vector<SamplePost>> posts;
        {
            std::lock_guard lock(m_mutex);
            options = m_options;
            posts = m_posts;
        }
        if (options.latency.count() > 0 && !waitUnlessStopping(options.latency)) {
            res.status = 503;
            return;
        }
        const Fault* fault = faultFor(options.faults, pathAndQuery);
        const FaultKind kind = fault ? fault->kind : FaultKind::None;
        Reply reply = kind == FaultKind::Status ? Reply{fault->status, errorPage(fault->status)}
                      : kind == FaultKind::RepeatFirstPage
                          ? answer(firstPageOf(pathAndQuery), *posts, false)
                          : answer(pathAndQuery, *posts, kind == FaultKind::NoSuccessMarker);
        res.status = reply.status;
        const char* contentType = kGbkHtml;
        switch (kind) {
        case FaultKind::Truncate:
            if (const auto at = reply.body.find(fault->cutAfter); at != std::string::npos) {
                reply.body.resize(at + fault->cutAfter.size());
            }
            break;
        case FaultKind::CloseMidBody:
        case FaultKind::Stall:
            sendPartOf(req, res, std::move(reply.body), kind == FaultKind::Stall);
            return;
        case FaultKind::Move:
        case FaultKind::MoveLoop:
            res.status = 301;
            res.set_header("Location", kind == FaultKind::Move ? fault->location : pathAndQuery);
            reply.body = errorPage(301);
            break;
        case FaultKind::Oversize:
            reply.body.assign(fault->bodyBytes, 'x');
            break;
        case FaultKind::EmptyBody:
            reply.body.clear();
            break;
        case FaultKind::SetCookies:
            for (const std::string& cookie : fault->setCookies) {
                res.headers.emplace("Set-Cookie", cookie);
            }
            break;
        case FaultKind::Utf8Body:
            reply.body = gbkToUtf8(reply.body);
            contentType = "text/html; charset=utf-8";
            break;
        default:
            break;
        }
        res.set_content(std::move(reply.body), contentType);
    }

    // Announces the whole body but sends its first half; returning false from
    // the provider makes httplib close the connection.
    void sendPartOf(const httplib::Request& req, httplib::Response& res, std::string body, bool stall) {
        const std::size_t length = body.size();
        const int fd = stall ? connectionSocket(req) : -1;
        res.set_content_provider(
            length, kGbkHtml,
            [this, body = std::move(body), stall, fd](std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body.data(), body.size() / 2);
                if (stall) {
                    stallUntilStopOrHangUp(fd);
                }
                return false;
            });
    }
};

SampleService::SampleService(Options options) : m_impl(std::make_unique<Impl>()) {
    m_impl->setOptions(std::move(options));
}

SampleService::~SampleService() {
    stop();
}

bool SampleService::start(int port) {
    stop();
    // A client that hangs up while an answer is written must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    {
        std::lock_guard lock(m_impl->m_mutex);
        m_impl->m_stopping = false;
    }
    auto server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server->set_keep_alive_max_count(kKeepAliveRequests);
    // Recorded here rather than in the handler so that every method is seen.
    server->set_pre_routing_handler([impl = m_impl.get()](const httplib::Request& req, httplib::Response&) {
        impl->record(req);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server->Get(R"([\s\S]*)", [impl = m_impl.get()](const httplib::Request& req, httplib::Response& res) {
        impl->handle(req, res);
    });
    const int bound = port == 0 ? server->bind_to_any_port("127.0.0.1")
                                : (server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        return false;
    }
    m_impl->m_port = bound;
    m_impl->m_server = std::move(server);
    m_impl->m_thread = std::thread([server = m_impl->m_server.get()] { server->listen_after_bind(); });
    return true;
}

void SampleService::stop() {
    if (!m_impl->m_server) {
        return;
    }
    {
        std::lock_guard lock(m_impl->m_mutex);
        m_impl->m_stopping = true;
    }
    m_impl->m_stopSignal.notify_all();
    m_impl->m_server->stop();
    m_impl->m_thread.join();
    m_impl->m_server.reset();
    m_impl->m_port = 0;
}

int SampleService::port() const {
    return m_impl->m_port;
}

std::string SampleService::proxyUrl() const {
    return "http://127.0.0.1:" + std::to_string(port());
}

void SampleService::setOptions(Options options) {
    m_impl->setOptions(std::move(options));
}

Options SampleService::options() const {
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_options;
}

std::vector<SamplePost> SampleService::posts() const {
    std::lock_guard lock(m_impl->m_mutex);
    return *m_impl->m_posts;
}

std::vector<RecordedRequest> SampleService::requests() const {
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_requests;
}

void SampleService::clearRequests() {
    std::lock_guard lock(m_impl->m_mutex);
    m_impl->m_requests.clear();
}

std::vector<SamplePost> samplePosts(int count) {
    static const char* const kTopics[] = {
        "春天的第一场雨", "读书笔记：《围城》", "周末去爬山", "運動會的回憶", "西湖旅行日记",
        "年终工作总结",   "深夜随想",           "关于友情",   "家乡的味道",   "毕业三年",
    };
    // Titles as the service writes them: a quote inside a title keeps its backslash.
    static const char* const kQuoted[] = {
        R"(妈妈说\"早点回家\")",
        R"(他说\"你好\"然后走了)",
        R"(\"再见\"是最难的两个字)",
    };
    std::vector<SamplePost> posts;
    for (int i = 0; i < count; ++i) {
        std::string title;
        if (i % 5 == 4) {
            title = gbk(kQuoted[(i / 5) % std::size(kQuoted)]);
        } else if (i % 6 == 1) {
            title = gbk("无题"); // repeats, as real titles do
        } else {
            title = gbk(kTopics[i % std::size(kTopics)]) + gbk("（") + std::to_string(i + 1) + gbk("）");
        }
        posts.push_back({std::to_string(1200000000LL + i), std::move(title)});
    }
    return posts;
}

} // namespace qzb::sample
