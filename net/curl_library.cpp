#include "net/curl_library.h"

#include <dlfcn.h>

namespace qzb {
namespace {

// The OpenSSL build first, then the GnuTLS one; both offer the same functions.
constexpr const char* kLibraryNames[] = {"libcurl.so.4", "libcurl-gnutls.so.4"};

template <typename Function> bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

const CurlLibrary* load() {
    void* library = nullptr;
    for (const char* name : kLibraryNames) {
        if ((library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL)))
            break;
    }
    if (!library)
        return nullptr;
    static CurlLibrary curl{};
    decltype(&curl_global_init) globalInit = nullptr;
    const bool bound =
        bind(library, "curl_global_init", globalInit) && bind(library, "curl_easy_init", curl.easy_init) &&
        bind(library, "curl_easy_cleanup", curl.easy_cleanup) &&
        bind(library, "curl_easy_reset", curl.easy_reset) &&
        bind(library, "curl_easy_setopt", curl.easy_setopt) &&
        bind(library, "curl_multi_init", curl.multi_init) &&
        bind(library, "curl_multi_cleanup", curl.multi_cleanup) &&
        bind(library, "curl_multi_add_handle", curl.multi_add_handle) &&
        bind(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
        bind(library, "curl_multi_perform", curl.multi_perform) &&
        bind(library, "curl_multi_poll", curl.multi_poll) &&
        bind(library, "curl_multi_info_read", curl.multi_info_read) &&
        bind(library, "curl_slist_append", curl.slist_append) &&
        bind(library, "curl_slist_free_all", curl.slist_free_all) && bind(library, "curl_url", curl.url) &&
        bind(library, "curl_url_cleanup", curl.url_cleanup) && bind(library, "curl_url_set", curl.url_set) &&
        bind(library, "curl_url_get", curl.url_get) && bind(library, "curl_free", curl.free);
    // The library stays loaded for the life of the process, as libcurl wants
    // its global state initialised once and never torn down under a handle.
    if (!bound || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &curl;
}

} // namespace

const CurlLibrary* curlLibrary() {
    static const CurlLibrary* library = load();
    return library;
}

} // namespace qzb
