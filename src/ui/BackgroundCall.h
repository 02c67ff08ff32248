#pragma once
// Runs a blocking call (a network request) on a helper thread while the window thread keeps
// painting and serving its timers; the caller disables the controls the wait concerns.
#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace brisko::ui {

template <class Work> std::invoke_result_t<Work> RunInBackground(Work&& work) {
    using Result = std::invoke_result_t<Work>;
    static_assert(!std::is_void_v<Result>, "the call must answer something");
    std::optional<Result> result;
    std::exception_ptr error;
    QEventLoop loop;
    std::thread helper([&] {
        try {
            result.emplace(std::forward<Work>(work)());
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    helper.join(); // the loop may also end because the program quits: never leave the call behind
    if (error) {
        std::rethrow_exception(error);
    }
    return std::move(*result);
}

} // namespace brisko::ui
