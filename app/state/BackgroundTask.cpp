#include "state/BackgroundTask.hpp"

namespace kelvane::app {

QThreadPool& BackgroundTask::pool() {
    static QThreadPool* const shared = [] {
        auto* created = new QThreadPool();  // lives for the whole run, like the global pool
        created->setMaxThreadCount(32);
        created->setExpiryTimeout(30000);
        return created;
    }();
    return *shared;
}

}  // namespace kelvane::app
