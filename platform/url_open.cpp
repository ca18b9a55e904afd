#include "platform/url_open.h"

#include <mutex>

namespace {
std::mutex g_mutex;
UrlOpener g_opener;
} // namespace

UrlOpener SetUrlOpener(UrlOpener opener) {
    std::lock_guard lock(g_mutex);
    std::swap(g_opener, opener);
    return opener;
}

bool OpenUrlExternally(const QString& url) {
    UrlOpener opener;
    {
        std::lock_guard lock(g_mutex);
        opener = g_opener;
    }
    return opener ? opener(url) : false;
}
