#pragma once
// An X server of its own (Xvfb) for an end-to-end run, driven with xdotool as
// a user would drive the program: keys, typed text, mouse clicks.
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":n", or empty when Xvfb did not start.
    QString display() const { return m_display; }
    // True when Xvfb and xdotool are both installed.
    static bool Available();

    // xdotool on this display; its output.
    QString xdotool(const QStringList& arguments) const;
    // The visible window whose title holds `name`; empty when none.
    QString windowNamed(const QString& name) const;
    // Activates and focuses the named window (when given), then sends `key`.
    void key(const QString& key, const QString& window = QString()) const;
    // Types ASCII text into the focused window.
    void type(const QString& text) const;
    // Clicks at (x, y) inside the named window (button 3: the right one).
    void click(const QString& window, int x, int y, int button = 1) const;
    // Sends `key` until `done` holds (a key reaches a window only once it has
    // the keyboard, which can take a moment on a loaded machine).
    bool pressUntil(const QString& key, const QString& window, const std::function<bool()>& done) const;

private:
    bool Start(const QString& xvfb);
    bool Accepts() const;
    void Stop();

    QProcess m_process;
    QString m_display;
};
