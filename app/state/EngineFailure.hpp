// What the state object needs to know of a failed engine call: which engine error it was,
// if any, and the text to show for it.
#pragma once

#include <QString>
#include <exception>
#include <optional>

#include "engine/ArchiveEngineError.hpp"
#include "engine/EngineFailureText.hpp"

namespace kelvane::app {

struct EngineFailure final {
    [[nodiscard]] static std::optional<ArchiveEngineError::Case> kindOf(
        const std::exception_ptr& failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const ArchiveEngineError& error) {
            return error.kind();
        } catch (...) {
            return std::nullopt;
        }
    }

    [[nodiscard]] static QString text(const std::exception_ptr& failure) {
        return QString::fromStdString(EngineFailureText::describe(failure));
    }
};

}  // namespace kelvane::app
