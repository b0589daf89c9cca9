#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qzb {

// One blog post of an account's list; both fields are the answer's bytes, unchanged.
struct BlogEntry {
    std::string blogId;
    std::string title;
    bool operator==(const BlogEntry&) const = default;
};

struct BlogPage {
    bool success = false; // the answer carried the service's success marker
    std::vector<BlogEntry> entries;
};

struct BlogList {
    std::vector<BlogEntry> entries;
    // False when the paging ended on a failed or refused answer, or on a page
    // that repeated the one before it: the list may then be short.
    bool complete = false;
};

inline constexpr int kBlogsPerPage = 15;

[[nodiscard]] std::string blogListUrl(std::string_view account, int offset);
[[nodiscard]] BlogPage parseBlogPage(std::string_view answer);

// One page of the list, starting at the 0-based `offset`.
[[nodiscard]] BlogPage fetchBlogPage(std::string_view account, int offset);
// The whole list, page by page. An account number that is not 5 to 11 digits sends nothing.
[[nodiscard]] BlogList listBlogs(std::string_view account);

} // namespace qzb
