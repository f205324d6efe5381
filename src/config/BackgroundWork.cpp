#include "config/BackgroundWork.h"

#include <QThreadPool>

#include <algorithm>

namespace {

class Pool : public QThreadPool {
public:
    Pool() {
        setObjectName(QStringLiteral("OrrisBackgroundWork"));
        setExpiryTimeout(int(BackgroundWork::idleThreadExpiry.count()));
        // A load waits for the hash it started on this pool: never fewer than two threads.
        setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
    }
};

Q_GLOBAL_STATIC(Pool, backgroundPool)

} // namespace

namespace BackgroundWork {

QThreadPool* pool() {
    return backgroundPool();
}

void configureFramePool() {
    QThreadPool* frames = QThreadPool::globalInstance();
    frames->setExpiryTimeout(int(idleThreadExpiry.count()));
    frames->setMaxThreadCount(1);
}

} // namespace BackgroundWork
