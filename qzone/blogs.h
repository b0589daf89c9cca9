#pragma once

#include <functional>
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

struct BlogListPage {
    bool success = false; // the answer carried the service's success marker
    bool whole = false;   // the answer ended its callback: it was not cut short
    std::vector<BlogEntry> entries;
};

struct BlogList {
    std::vector<BlogEntry> entries;
    // False when the paging ended on a failed, refused or cut-short answer, or
    // on a page that repeated the one before it: the list may then be short.
    bool complete = false;
};

inline constexpr int kBlogsPerPage = 15;

[[nodiscard]] std::string blogListUrl(std::string_view account, int offset);
[[nodiscard]] BlogListPage parseBlogPage(std::string_view answer);

// One page of the list, starting at the 0-based `offset`.
[[nodiscard]] BlogListPage fetchBlogPage(std::string_view account, int offset);
// The whole list, page by page. An account number that is not 5 to 11 digits sends nothing.
[[nodiscard]] BlogList listBlogs(std::string_view account);

[[nodiscard]] std::string blogContentUrl(std::string_view account, std::string_view blogId);
// The post's page as the service answers it; empty when the exchange failed,
// the service answered with an error status, or the answer was empty.
[[nodiscard]] std::string fetchBlogContent(std::string_view account, std::string_view blogId);

struct DownloadOutcome {
    int saved = 0;
    int failed = 0;
    bool stopped = false; // the walk was asked to stop before the last post
};

// Writes one post's page; `number` is the post's place in the list, from 1.
using SaveBlogPost = std::function<bool(const BlogEntry& post, int number, std::string_view page)>;
using ProgressText = std::function<void(const std::string& text)>;
// Asked before each post; true ends the walk there.
using StopRequested = std::function<bool()>;

// Fetches and saves the posts one after the other, in list order, each written
// before the next is asked for. A post that cannot be fetched or written is
// counted as failed and the walk goes on. After each saved post `progress`
// gets blogProgressText of the count saved so far.
DownloadOutcome downloadBlogPosts(std::string_view account, const std::vector<BlogEntry>& posts,
                                  const SaveBlogPost& save, const ProgressText& progress,
                                  const StopRequested& stopRequested = {});

// "下载到了" + count + "篇日志"
[[nodiscard]] std::string blogProgressText(int saved);
// "下载完成！", and when posts were not saved, a second line that says how many.
[[nodiscard]] std::string blogEndMessage(const DownloadOutcome& outcome);
// "友情提示"
[[nodiscard]] std::string blogEndTitle();

} // namespace qzb
