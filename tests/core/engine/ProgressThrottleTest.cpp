// The engine's progress throttle: first and final reports always pass, the rest thinned.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "engine/ProgressThrottle.hpp"

namespace kelvane {
namespace {

using namespace std::chrono_literals;

TEST(ProgressThrottleTest, PassesTheFirstThenOnePerIntervalAndAlwaysTheFinal) {
    auto now = std::chrono::steady_clock::time_point{};
    std::vector<std::pair<double, std::string>> delivered;
    const ProgressHandler handler = ProgressThrottle::wrap(
        [&](double fraction, std::string detail) { delivered.emplace_back(fraction, std::move(detail)); },
        40ms, [&] { return now; });

    handler(0.1, "first");
    handler(0.2, "dropped: too soon");
    now += 39ms;
    handler(0.3, "dropped: still too soon");
    now += 1ms;
    handler(0.4, "second");
    handler(1.0, "");  // the final report is never dropped
    handler(1.0, "");
    ASSERT_EQ(delivered.size(), 4U);
    EXPECT_EQ(delivered[0], (std::pair<double, std::string>{0.1, "first"}));
    EXPECT_EQ(delivered[1], (std::pair<double, std::string>{0.4, "second"}));
    EXPECT_EQ(delivered[2].first, 1.0);
    EXPECT_EQ(delivered[3].first, 1.0);
}

TEST(ProgressThrottleTest, TheDetailOutlivesTheCall) {
    std::string kept;
    const ProgressHandler handler =
        ProgressThrottle::wrap([&](double, std::string detail) { kept = std::move(detail); });
    {
        std::string transient = "file-name.txt";
        handler(0.5, transient);
        transient.assign(transient.size(), 'x');
    }
    EXPECT_EQ(kept, "file-name.txt");
}

}  // namespace
}  // namespace kelvane
