#pragma once

#include <curl/curl.h>

namespace qzb {

// libcurl's functions, bound by name when the first exchange needs them: the
// library and what it pulls in (TLS, authentication, compression) cost a
// start-up that never goes on the network nothing.
struct CurlLibrary {
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_reset) easy_reset;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_cleanup) multi_cleanup;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
    decltype(&curl_url) url;
    decltype(&curl_url_cleanup) url_cleanup;
    decltype(&curl_url_set) url_set;
    decltype(&curl_url_get) url_get;
    decltype(&curl_free) free;
};

// The bound library, initialised once; null when it cannot be loaded, and
// then every exchange fails.
[[nodiscard]] const CurlLibrary* curlLibrary();

} // namespace qzb
