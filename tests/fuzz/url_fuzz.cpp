#include "net/http_request.h"
#include "qzone/albums.h"
#include "qzone/photos.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <arpa/inet.h>

using namespace qzb;
using namespace qzb::fuzz;

namespace {

// Whether the resolver may take `host` for this machine: the name localhost
// and its subdomains, or a number the C library reads as an address in
// 0.0.0.0/8 or 127.0.0.0/8. A name with one trailing dot is the same name.
bool mayNameThisMachine(std::string_view host) {
    std::string name = lowerAscii(host);
    if (name.ends_with('.'))
        name.pop_back();
    if (name == "localhost" || name.ends_with(".localhost"))
        return true;
    in_addr address{};
    if (inet_aton(name.c_str(), &address) == 0)
        return false;
    const auto firstByte = static_cast<unsigned>(ntohl(address.s_addr) >> 24);
    return firstByte == 0 || firstByte == 127;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view url = asText(data, size);
    const UrlParts parts = splitUrl(url);
    if (parts.valid) {
        require(!parts.host.empty(), "a valid address has a host");
        require(parts.port >= 1 && parts.port <= 65535, "a valid address has a port in range");
        require(parts.path.starts_with('/'), "a valid address has a path from \"/\"");
        require(parts.host.find_first_of("/:") == std::string::npos, "a host holds no \"/\" nor \":\"");
        require(parts.secure == (url.size() > 4 && (url[4] == 's' || url[4] == 'S')), "https is secure");
        require(url.find(parts.host) != std::string_view::npos &&
                    (url.ends_with(parts.path) || parts.path == "/"),
                "host and path are pieces of the address");
    }

    if (isAcceptablePhotoUrl(url)) {
        require(parts.valid && isPlainHostName(parts.host), "an accepted address has a plain host");
        require(!mayNameThisMachine(parts.host), "an accepted address names another machine");
    }
    return 0;
}
