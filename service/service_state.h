#pragma once
// What every service client shares: the configured endpoint, whether the
// clients run on the backup endpoint, and the HTTP proxy. The start window
// and the network settings write it, the backup switch changes the endpoint,
// and each client takes a copy when it is built. One mutex guards it all.
#include <chrono>
#include <string>

struct ServiceSettings {
    std::string serviceUrl;  // empty: the built-in main endpoint
    bool backupUrl = false;  // the clients run on the backup endpoint
    std::string proxyHost;   // at most 127 characters
    int proxyPort = 0;       // 0: no proxy
    std::string proxyUser;   // at most 31 characters
    std::string proxyPwd;    // at most 31 characters
};

ServiceSettings CurrentServiceSettings();

// The configured endpoint (empty = built-in main endpoint).
std::string ServiceUrl();
void SetServiceUrl(const std::string& url);
bool IsBackupUrl();

// Copies the proxy settings, cut to 127 and 31 characters; a null text is
// empty. Always true.
bool SetProxySettings(const char* host, int port, const char* user, const char* password);

// The built-in addresses (deployment constants).
std::string BuiltInMainEndpoint();
std::string BackupEndpoint();
std::string InternationalEndpoint();

// The main endpoint failed twice: every later client uses the backup endpoint
// and, after a minute, the endpoint configured before the switch again (when
// nobody chose another meanwhile). Starts the thread that switches back.
void SwitchToBackupEndpoint();

// Ends the switch-back thread at once (program exit) and waits for it.
void StopBackupSwitchThread();

// How long the clients stay on the backup endpoint (tests shorten it).
void SetBackupSwitchBackDelay(std::chrono::milliseconds delay);

// Caps every operation's time-out at `seconds` (0: no cap). Tests use it to
// reach the time-out path without waiting minutes.
void SetServiceTimeoutCap(int seconds);
int ServiceTimeoutCap();
