#include "gui/widgets/worker_progress.h"

#include <QMetaObject>

#include <algorithm>
#include <memory>

std::function<bool(qint64, qint64)> QueuedPermilleProgress(QObject* receiver, std::function<void(int)> show,
                                                           const std::atomic<bool>& stop) {
    auto last = std::make_shared<int>(-1);
    return [receiver, show = std::move(show), &stop, last](qint64 done, qint64 total) {
        const int permille =
            total > 0 ? static_cast<int>(std::clamp<qint64>(done * 1000 / total, 0, 1000)) : 0;
        if (permille != *last) {
            *last = permille;
            QMetaObject::invokeMethod(
                receiver, [show, permille] { show(permille); }, Qt::QueuedConnection);
        }
        return !stop.load();
    };
}
