// A storm of simulated calculators plugged in and pulled out in random order while vanta runs,
// through real WM_DEVICECHANGE messages. The suite runs a short storm; bench/stress/run.sh
// runs 200 arrivals (VANTA_STRESS_HOTPLUG_ARRIVALS) and collects the "stress:" line.
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "tests/e2e/vanta_test_support.h"
#include "tests/support/resource_counts/resource_counts.h"

namespace {

using namespace e2e_tests;
using hid_stack::calculator_device;

unsigned setting(const wchar_t* name, unsigned fallback) {
    wchar_t text[32] = {};
    if (::GetEnvironmentVariableW(name, text, 32) == 0) return fallback;
    return static_cast<unsigned>(std::wcstoul(text, nullptr, 10));
}

const wchar_t* expected_status(std::size_t plugged) {
    return plugged == 0 ? no_calculator : new_hardware;
}

TEST(vanta_hotplug_storm, arrivals_and_removals_in_random_order) {
    SKIP_WITHOUT_VANTA();
    const unsigned arrivals = setting(L"VANTA_STRESS_HOTPLUG_ARRIVALS", 8);
    constexpr std::size_t most_at_once = 6;
    e2e::vanta_app app(L"vanta_hotplug.storm");
    ASSERT_TRUE(app.ready());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.wait_for_status(no_calculator)) << e2e::narrow(app.status());
    const DWORD vanta = app.process()->id();

    // One calculator first, so that what its first identify loads for good is in the baseline.
    auto first = app.plug_in(calculator_device(u"Warm-up", current_firmware));
    ASSERT_TRUE(app.pull_out(first));
    const resource_counts::counts start = resource_counts::of_process(vanta);

    std::mt19937 random(setting(L"VANTA_STRESS_SEED", 2012));
    std::vector<e2e::sim_device> plugged;
    unsigned arrived = 0;
    unsigned removed = 0;
    const auto started = std::chrono::steady_clock::now();
    while (arrived < arrivals || !plugged.empty()) {
        const bool arrive = arrived < arrivals &&
                            (plugged.empty() || (plugged.size() < most_at_once && random() % 2));
        if (arrive) {
            const std::u16string name = u"Storm " + std::u16string(1, u'A' + arrived % 26);
            plugged.push_back(app.plug_in(calculator_device(name, current_firmware)));
            ++arrived;
        } else {
            const std::size_t at = random() % plugged.size();
            ASSERT_TRUE(app.pull_out(plugged[at]));
            plugged.erase(plugged.begin() + static_cast<std::ptrdiff_t>(at));
            ++removed;
        }
        // The pane says "no calculator" exactly when the last listed one has gone, so a lost
        // or a left-over entry in vanta's list shows at the next removal.
        ASSERT_EQ(app.status(), expected_status(plugged.size()))
            << "after " << arrived << " arrivals and " << removed << " removals";
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    const resource_counts::counts end = resource_counts::of_process(vanta);

    std::printf("stress: hot-plug, %u arrivals and %u removals in %.1f s, %s\n", arrived, removed,
                std::chrono::duration<double>(elapsed).count(),
                resource_counts::describe(start, end).c_str());
    EXPECT_TRUE(resource_counts::within(end, start, {8, 4, 4, 1}))
        << resource_counts::describe(start, end);
    EXPECT_TRUE(app.dialogs().empty());
    EXPECT_TRUE(app.stop());
}

}  // namespace
