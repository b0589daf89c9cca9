#include "qzone/albums.h"
#include "tests/fuzz/fuzz_support.h"

using namespace qzb;
using namespace qzb::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = asText(data, size);
    const auto route = parseAlbumRoute(answer);
    if (!route)
        return 0;
    require(answer.find("{\"r\":") != std::string_view::npos, "a route needs the route marker");
    require(isPlainHostName(route->s), "a route's host is a plain host name");
    require(answer.find("s\":\"" + route->s + "\"") != std::string_view::npos,
            "the host is quoted in the answer");
    require(route->p.find('"') == std::string::npos, "the second value holds no quote");
    require(answer.find(route->p) != std::string_view::npos, "the second value is a piece of the answer");
    return 0;
}
