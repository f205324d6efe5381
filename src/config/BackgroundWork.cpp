#include "config/BackgroundWork.h"

#include <QThreadPool>

#include <algorithm>

namespace {

class Pool : public QThreadPool {
public:
    Pool() {
        setObjectName(QStringLiteral("OrrisBackgroundWork"));
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
    QThreadPool::globalInstance()->setMaxThreadCount(1);
}

} // namespace BackgroundWork
