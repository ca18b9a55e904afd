#include "service/service_state.h"

#include "core/convert.h"
#include "core/deployment.h"
#include "core/log.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

std::mutex g_mutex;
ServiceSettings g_settings;
std::atomic<int> g_timeoutCap{0};

// The switch-back thread and what it waits on.
struct BackupSwitch {
    // One switch or stop at a time: two receive calls failing together must
    // not both start a thread into the same handle.
    std::mutex control;
    std::thread thread;  // touched only under `control`

    std::mutex mutex;  // guards the fields below; the thread waits on it
    std::condition_variable wake;
    bool stop = false;
    std::string configuredBeforeSwitch;
    std::string switchedTo;  // the backup address the switch wrote
    std::chrono::milliseconds delay{60000};

    ~BackupSwitch() { Stop(); }

    void Stop() {
        std::lock_guard controlLock(control);
        StopLocked();
    }

    // The caller holds `control`.
    void StopLocked() {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        wake.notify_all();
        if (thread.joinable())
            thread.join();
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
    const std::string switchedTo = sw.switchedTo;
    lock.unlock();
    // A stop undoes the switch as well: a later switch then remembers the
    // endpoint the user configured, not the backup address, and the backup
    // state never outlives the thread that would have ended it.
    {
        std::lock_guard settingsLock(g_mutex);
        // A server the user chose meanwhile stays; only our own switch is undone.
        if (g_settings.backupUrl && g_settings.serviceUrl == switchedTo)
            g_settings.serviceUrl = restore;
        g_settings.backupUrl = false;
    }
    if (!stopped)
        LogWrite(g_logRun, "ThreadTestNetwork检测到主地址已可用，自动切回！");
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
    std::lock_guard controlLock(sw.control);
    // A thread of an earlier switch is ended first; it undoes that switch, so
    // the endpoint read below is the configured one again.
    sw.StopLocked();
    const std::string backup = BackupEndpoint();
    std::string before;
    {
        std::lock_guard lock(g_mutex);
        before = g_settings.serviceUrl;
        g_settings.serviceUrl = backup;
        g_settings.backupUrl = true;
    }
    {
        std::lock_guard lock(sw.mutex);
        sw.configuredBeforeSwitch = before;
        sw.switchedTo = backup;
    }
    try {
        sw.thread = std::thread(ThreadTestNetwork);
    } catch (const std::system_error&) {
        // Without the thread the clients stay on the backup endpoint until
        // the program ends; a receive call must not fail over it.
        LogWrite(g_logRun, "ERROR,ThreadTestNetwork线程创建失败");
    }
}

void StopBackupSwitchThread() { Switch().Stop(); }

void SetBackupSwitchBackDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(Switch().mutex);
    Switch().delay = delay;
}

void SetServiceTimeoutCap(int seconds) { g_timeoutCap = seconds; }
int ServiceTimeoutCap() { return g_timeoutCap; }
