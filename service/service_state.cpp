#include "service/service_state.h"

#include "app/core/convert.h"
#include "app/core/deployment.h"
#include "app/core/log.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

std::mutex g_mutex;
ServiceSettings g_settings;
std::atomic<int> g_timeoutCap{0};

// The switch-back thread and what it waits on.
struct BackupSwitch {
    std::mutex mutex;
    std::condition_variable wake;
    std::thread thread;
    bool stop = false;
    std::string configuredBeforeSwitch;
    std::chrono::milliseconds delay{60000};

    ~BackupSwitch() { Stop(); }

    void Stop() {
        std::thread t;
        {
            std::lock_guard lock(mutex);
            stop = true;
            t = std::move(thread);
        }
        wake.notify_all();
        if (t.joinable())
            t.join();
        std::lock_guard lock(mutex);
        stop = false;
    }
};

BackupSwitch& Switch() {
    static BackupSwitch s;
    return s;
}

std::string Cut(const char* text, size_t max) {
    if (!text)
        return {};
    std::string s(text);
    if (s.size() > max)
        s.resize(max);
    return s;
}

void ThreadTestNetwork() {
    LogWrite(g_logRun, "创建ThreadTestNetwork线程");
    BackupSwitch& sw = Switch();
    std::unique_lock lock(sw.mutex);
    const bool stopped = sw.wake.wait_for(lock, sw.delay, [&] { return sw.stop; });
    const std::string restore = sw.configuredBeforeSwitch;
    lock.unlock();
    if (!stopped) {
        {
            std::lock_guard settingsLock(g_mutex);
            // A server the user chose meanwhile stays; only our own switch is undone.
            if (g_settings.backupUrl && g_settings.serviceUrl == BackupEndpoint())
                g_settings.serviceUrl = restore;
            g_settings.backupUrl = false;
        }
        LogWrite(g_logRun, "ThreadTestNetwork检测到主地址已可用，自动切回！");
    }
    LogWrite(g_logRun, "强制结束ThreadTestNetwork线程");
}

} // namespace

ServiceSettings CurrentServiceSettings() {
    std::lock_guard lock(g_mutex);
    return g_settings;
}

std::string ServiceUrl() {
    std::lock_guard lock(g_mutex);
    return g_settings.serviceUrl;
}

void SetServiceUrl(const std::string& url) {
    std::lock_guard lock(g_mutex);
    g_settings.serviceUrl = url;
}

bool IsBackupUrl() {
    std::lock_guard lock(g_mutex);
    return g_settings.backupUrl;
}

bool SetProxySettings(const char* host, int port, const char* user, const char* password) {
    std::lock_guard lock(g_mutex);
    g_settings.proxyHost = Cut(host, 127);
    g_settings.proxyPort = port;
    g_settings.proxyUser = Cut(user, 31);
    g_settings.proxyPwd = Cut(password, 31);
    return true;
}

std::string BuiltInMainEndpoint() { return UnicodeToUtf8(DeploymentValue(DeploymentKey::MainEndpoint)); }
std::string BackupEndpoint() { return UnicodeToUtf8(DeploymentValue(DeploymentKey::BackupEndpoint)); }
std::string InternationalEndpoint() { return UnicodeToUtf8(DeploymentValue(DeploymentKey::IntlEndpoint)); }

void SwitchToBackupEndpoint() {
    BackupSwitch& sw = Switch();
    // A thread of an earlier switch that is still winding down goes first.
    sw.Stop();
    std::string before;
    {
        std::lock_guard lock(g_mutex);
        before = g_settings.backupUrl ? std::string() : g_settings.serviceUrl;
        g_settings.serviceUrl = BackupEndpoint();
        g_settings.backupUrl = true;
    }
    std::lock_guard lock(sw.mutex);
    sw.configuredBeforeSwitch = before;
    sw.thread = std::thread(ThreadTestNetwork);
}

void StopBackupSwitchThread() { Switch().Stop(); }

void SetBackupSwitchBackDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(Switch().mutex);
    Switch().delay = delay;
}

void SetServiceTimeoutCap(int seconds) { g_timeoutCap = seconds; }
int ServiceTimeoutCap() { return g_timeoutCap; }
