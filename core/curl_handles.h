#pragma once
// Owners of libcurl's handles and strings, for the transfers of core/
// (HttpGet, OpFtpFile).
#include <curl/curl.h>

#include <memory>

struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct CurlFree {
    void operator()(char* p) const { curl_free(p); }
};

// One part of a parsed URL; null when the URL has none.
inline std::unique_ptr<char, CurlFree> UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK)
        return nullptr;
    return std::unique_ptr<char, CurlFree>(text);
}
