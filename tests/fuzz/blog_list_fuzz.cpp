#include "qzone/blogs.h"
#include "tests/fuzz/fuzz_support.h"

using namespace qzb;
using namespace qzb::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = asText(data, size);
    const BlogListPage page = parseBlogPage(answer);

    if (page.success)
        require(answer.find("_Callback({\n\t\"code\":0,\n\t\"subcode\":0") != std::string_view::npos,
                "success needs the success marker");
    require(page.entries.size() <= occurrences(answer, "{\"blogId\":"), "one entry per id marker at most");

    std::size_t from = 0;
    for (const BlogEntry& entry : page.entries) {
        // Both terminators begin with a byte that is never inside a character,
        // so the shortest value cannot hold them.
        require(entry.blogId.find(",\n\"blogType\":") == std::string::npos, "an id holds no id terminator");
        require(entry.title.find("\",\n\"commentNum\"") == std::string::npos,
                "a title holds no title terminator");
        require(answer.find(entry.title) != std::string_view::npos, "a title is a piece of the answer");
        // An id without its terminator runs on into the next record, so ids may
        // overlap; their markers still come one after the other.
        const std::size_t at = answer.find("{\"blogId\":" + entry.blogId + ",\n\"blogType\":", from);
        require(at != std::string_view::npos, "ids are marked and in order");
        from = at + 1;
    }
    return 0;
}
