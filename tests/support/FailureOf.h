// The message of the failure an action throws, for table tests that compare
// messages.
#pragma once

#include "framework/Failures.h"

#include <functional>
#include <string>

namespace zorvak::test {

inline std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const TFailure& failure) {
        return failure.what();
    }
    return "(no failure)";
}

} // namespace zorvak::test
