#pragma once
// Progress of a worker thread, shown by a window: the worker's callback
// turns (done, total) into per mille and hands each new figure to the
// window's thread, so a million rows do not flood its event queue.
#include <QObject>
#include <QtGlobal>

#include <atomic>
#include <functional>

// A callback for the worker: `show(permille)` runs queued on `receiver`'s
// thread (and not at all once `receiver` is gone); the callback returns
// false, asking the worker to stop, once `stop` is set.
std::function<bool(qint64 done, qint64 total)> QueuedPermilleProgress(QObject* receiver,
                                                                      std::function<void(int permille)> show,
                                                                      const std::atomic<bool>& stop);
