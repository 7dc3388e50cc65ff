// The one way the state object goes off the interface thread: run a piece of work on a
// thread pool and hand its outcome back to a QObject on that object's thread, dropping
// it when the object is gone or the task was cancelled meanwhile.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "state/TaskHandle.hpp"

namespace kelvane::app {

// What a piece of work ended with: its value, or what it threw.
template <class T>
struct TaskOutcome {
    std::optional<T> value;
    std::exception_ptr failure;

    [[nodiscard]] bool succeeded() const { return !failure; }
};

class BackgroundTask final {
public:
    BackgroundTask() = delete;

    // The pool every task runs on. Engine calls block their thread while a tool runs, so
    // it allows many more threads than there are cores; the work itself is the tools'.
    [[nodiscard]] static QThreadPool& pool();

    // Runs `work(handle)` on the pool; then, on `context`'s thread, calls
    // `deliver(TaskOutcome<R>)` unless `context` has been destroyed or the handle was
    // cancelled before delivery. `work` may throw; what it throws is delivered as the
    // outcome's failure.
    template <class Work, class Deliver>
    static TaskHandle run(QObject* context, Work work, Deliver deliver) {
        return runOn(pool(), context, std::move(work), std::move(deliver));
    }

    // The same on a pool of the caller's, for work that must be limited in number or
    // waited for on its own.
    template <class Work, class Deliver>
    static TaskHandle runOn(QThreadPool& workers, QObject* context, Work work, Deliver deliver) {
        using Result = std::invoke_result_t<Work&, const TaskHandle&>;
        static_assert(!std::is_void_v<Result>, "return a value, even a bool");
        TaskHandle handle;
        QPointer<QObject> receiver(context);
        auto shared = std::make_shared<std::pair<Work, Deliver>>(std::move(work),
                                                                 std::move(deliver));
        workers.start([handle, receiver, shared]() {
            auto outcome = std::make_shared<TaskOutcome<Result>>();
            if (handle.isCancelled()) return;
            try {
                outcome->value.emplace(shared->first(handle));
            } catch (...) {
                outcome->failure = std::current_exception();
            }
            if (handle.isCancelled() || receiver.isNull()) return;
            QMetaObject::invokeMethod(
                receiver.data(),
                [handle, receiver, shared, outcome]() {
                    if (handle.isCancelled() || receiver.isNull()) return;
                    shared->second(std::move(*outcome));
                },
                Qt::QueuedConnection);
        });
        return handle;
    }

    // Runs `call` on `context`'s thread soon, unless `context` is gone by then. Safe to
    // call from any thread.
    template <class Call>
    static void post(QObject* context, Call call) {
        QPointer<QObject> receiver(context);
        auto shared = std::make_shared<Call>(std::move(call));
        QMetaObject::invokeMethod(
            context,
            [receiver, shared]() {
                if (receiver.isNull()) return;
                (*shared)();
            },
            Qt::QueuedConnection);
    }
};

}  // namespace kelvane::app
