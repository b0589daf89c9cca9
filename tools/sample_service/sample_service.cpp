#include "tools/sample_service/sample_service.h"

#include "net/text_encoding.h"
#include "tools/sample_service/sample_answers.h"

#include <httplib.h>

#include <poll.h>
#include <sys/socket.h>

#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <string_view>
#include <thread>

namespace qzb::sample {
namespace {

constexpr std::chrono::milliseconds kStopPollInterval{5};
// Enough workers for a program and a benchmark talking to the service side by side.
constexpr std::size_t kWorkerThreads = 16;
// libcurl keeps one connection per host; let it carry a whole backup.
constexpr std::size_t kKeepAliveRequests = 100000;

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
    std::shared_ptr<const SampleAccount> m_account;
    std::vector<RecordedRequest> m_requests;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;

    void setOptions(Options options) {
        auto account = std::make_shared<const SampleAccount>(sampleAccount(options));
        std::lock_guard lock(m_mutex);
        m_options = std::move(options);
        m_account = std::move(account);
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
        std::shared_ptr<const SampleAccount> account;
        {
            std::lock_guard lock(m_mutex);
            options = m_options;
            account = m_account;
        }
        if (options.latency.count() > 0 && !waitUnlessStopping(options.latency)) {
            res.status = 503;
            return;
        }
        const Fault* fault = faultFor(options.faults, pathAndQuery);
        const FaultKind kind = fault ? fault->kind : FaultKind::None;
        Reply reply = kind == FaultKind::Status ? Reply{fault->status, errorPage(fault->status)}
                      : kind == FaultKind::RepeatFirstPage
                          ? answer(firstPageOf(pathAndQuery), *account, options, false)
                          : answer(pathAndQuery, *account, options, kind == FaultKind::NoSuccessMarker);
        res.status = reply.status;
        switch (kind) {
        case FaultKind::Truncate:
            if (const auto at = reply.body.find(fault->cutAfter); at != std::string::npos) {
                reply.body.resize(at + fault->cutAfter.size());
            }
            break;
        case FaultKind::CloseMidBody:
        case FaultKind::Stall:
            sendPartOf(req, res, std::move(reply), kind == FaultKind::Stall);
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
        case FaultKind::PhotoAddresses:
            reply.body = photoListAnswer("album", fault->addresses);
            break;
        case FaultKind::SetCookies:
            for (const std::string& cookie : fault->setCookies) {
                res.headers.emplace("Set-Cookie", cookie);
            }
            break;
        case FaultKind::Utf8Body:
            // Answers already in UTF-8 (moods) and pictures stay as they are.
            if (reply.contentType == kGbkHtml) {
                reply.body = gbkToUtf8(reply.body);
                reply.contentType = "text/html; charset=utf-8";
            }
            break;
        case FaultKind::UndeclaredUtf8:
            if (reply.contentType == kGbkHtml) {
                reply.body = gbkToUtf8(reply.body);
            }
            reply.contentType = reply.contentType.substr(0, reply.contentType.find(';'));
            break;
        default:
            break;
        }
        res.set_content(std::move(reply.body), std::string(reply.contentType));
    }

    // Announces the whole body but sends its first half; returning false from
    // the provider makes httplib close the connection.
    void sendPartOf(const httplib::Request& req, httplib::Response& res, Reply reply, bool stall) {
        const std::size_t length = reply.body.size();
        const int fd = stall ? connectionSocket(req) : -1;
        res.set_content_provider(length, std::string(reply.contentType),
                                 [this, body = std::move(reply.body), stall, fd](std::size_t, std::size_t,
                                                                                 httplib::DataSink& sink) {
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
    // Headers and body go out in separate writes; without this the client's
    // delayed acknowledgement adds tens of milliseconds to every answer.
    server->set_tcp_nodelay(true);
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
    auto listenEnded = std::make_shared<std::atomic<bool>>(false);
    m_impl->m_thread = std::thread([server = m_impl->m_server.get(), listenEnded] {
        server->listen_after_bind();
        *listenEnded = true;
    });
    // httplib's stop() does nothing before the listening loop has begun, so a
    // service stopped right after it started would never stop.
    while (!m_impl->m_server->is_running() && !*listenEnded) {
        std::this_thread::yield();
    }
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
    return m_impl->m_account->posts;
}

std::vector<SampleMood> SampleService::moods() const {
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_account->moods;
}

std::vector<SampleAlbum> SampleService::albums() const {
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_account->albums;
}

std::vector<RecordedRequest> SampleService::requests() const {
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_requests;
}

void SampleService::clearRequests() {
    std::lock_guard lock(m_impl->m_mutex);
    m_impl->m_requests.clear();
}

} // namespace qzb::sample
