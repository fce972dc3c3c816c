// Stress of the library's live parts, in one process: the update dialog opened and cancelled
// over and over while its query still waits for a slow server, and the exports called from
// eight threads at once, each for its own product. The suite runs a short version;
// bench/stress/run.sh runs the full one (ORV_STRESS_DIALOG_ROUNDS, ORV_STRESS_EXPORT_SECONDS)
// and collects the "stress:" lines this prints.
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "tests/support/resource_counts/resource_counts.h"
#include "tests/update_check/check_fixture.h"

namespace orv_test {
namespace {

using namespace std::chrono_literals;

unsigned setting(const wchar_t* name, unsigned fallback) {
    wchar_t text[32] = {};
    if (::GetEnvironmentVariableW(name, text, 32) == 0) return fallback;
    return static_cast<unsigned>(std::wcstoul(text, nullptr, 10));
}

// Handles of finished worker threads and closed connections go a little after the dialogs:
// waits up to `limit` for the counts to come back within the margins.
const resource_counts::counts margin{8, 4, 4, 1};

resource_counts::counts settled_counts(const resource_counts::counts& start,
                                       std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    resource_counts::counts now = resource_counts::of_this_process();
    while (std::chrono::steady_clock::now() < deadline &&
           !resource_counts::within(now, start, margin)) {
        std::this_thread::sleep_for(100ms);
        now = resource_counts::of_this_process();
    }
    return now;
}

// Messages the dialog's thread took from its queue for a window that no longer exists.
std::atomic<unsigned> stale_messages{0};

LRESULT CALLBACK watch_messages(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        const MSG* message = reinterpret_cast<const MSG*>(lparam);
        if (message->hwnd != nullptr && !::IsWindow(message->hwnd)) ++stale_messages;
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

using UpdateDialogStress = check_fixture;

TEST_F(UpdateDialogStress, OpenAndCancelWhileTheQueryRuns) {
    const unsigned rounds = setting(L"ORV_STRESS_DIALOG_ROUNDS", 6);
    product_settings product(0x3601);
    publish_package(L"stress/Orv_Vanta_Kit_2012_3_1.exe");
    // Longer than the latest cancel: every dialog is cancelled while its listing is pending.
    ASSERT_TRUE(ftp_fixture::set_reply_delay(1500));
    std::mt19937 random(setting(L"ORV_STRESS_SEED", 20121));
    std::uniform_int_distribution<int> cancel_after_ms(0, 500);

    HWND previous = nullptr;
    auto round = [&] {
        modal_call call([&] {
            HHOOK hook =
                ::SetWindowsHookExW(WH_GETMESSAGE, watch_messages, nullptr, ::GetCurrentThreadId());
            lib().check_w(product.id(), L"/stress/Orv_Vanta_Kit.exe", L"_2012_2_22", 4, 1033);
            if (hook) ::UnhookWindowsHookEx(hook);
        });
        HWND dialog = wait_for_update_dialog(previous);
        ASSERT_TRUE(dialog);
        std::this_thread::sleep_for(std::chrono::milliseconds(cancel_after_ms(random)));
        ASSERT_EQ(dialog_driver::control_text(dialog, get_it_button), L"Cancel")
            << "the query must still be running";
        ASSERT_TRUE(dialog_driver::press_button(dialog, get_it_button));
        ASSERT_TRUE(call.returned());
        EXPECT_FALSE(::IsWindow(dialog));
        previous = dialog;
    };
    // One round first, so that what stays loaded for good (WinINet, fonts, classes) is in the
    // starting counts.
    round();
    // Settled: the first round's worker has finished.
    std::this_thread::sleep_for(2s);
    const resource_counts::counts start = resource_counts::of_this_process();
    const auto started = std::chrono::steady_clock::now();
    for (unsigned i = 0; i < rounds && !HasFatalFailure(); ++i) round();
    const auto elapsed = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(ftp_fixture::set_reply_delay(0));
    const resource_counts::counts end = settled_counts(start, 20s);

    std::printf(
        "stress: update dialog, %u rounds in %.1f s, %s, messages to destroyed windows %u\n",
        rounds, std::chrono::duration<double>(elapsed).count(),
        resource_counts::describe(start, end).c_str(), stale_messages.load());
    EXPECT_EQ(stale_messages.load(), 0u);
    EXPECT_TRUE(resource_counts::within(end, start, margin))
        << resource_counts::describe(start, end);
}

// Eight threads, each on its own product, call the settings exports and forced background
// checks for a while; every answer and every value left in the registry must be the thread's
// own. Background checks find no package on the test's server (an empty folder), so no
// dialog appears.
using ExportsStress = check_fixture;

TEST_F(ExportsStress, EightThreadsEachKeepTheirOwnSettings) {
    const unsigned seconds = setting(L"ORV_STRESS_EXPORT_SECONDS", 2);
    constexpr int threads = 8;
    std::vector<std::unique_ptr<product_settings>> products;
    for (int t = 0; t < threads; ++t)
        products.push_back(std::make_unique<product_settings>(0x3610 + t));

    struct outcome {
        unsigned calls = 0;
        unsigned mismatches = 0;
        int auto_check = 1;
        std::uint16_t next_date = 0;
    };
    std::vector<outcome> outcomes(threads);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            const int id = products[t]->id();
            const int frequency = 10 + t;  // each product its own
            outcome& out = outcomes[t];
            std::mt19937 random(static_cast<unsigned>(id));
            auto last_check = std::chrono::steady_clock::now() - 1s;
            auto expect = [&out](bool same) { out.mismatches += same ? 0 : 1; };
            library().set_frequency(id, frequency);
            while (std::chrono::steady_clock::now() < deadline) {
                ++out.calls;
                switch (random() % 3) {
                    case 0:
                        out.auto_check = static_cast<int>(random() % 2);
                        library().set_auto_check(id, out.auto_check);
                        expect(library().get_auto_check(id) == out.auto_check);
                        break;
                    case 1: {
                        const int days = static_cast<int>(random() % 120);
                        library().set_next_days(id, days);
                        out.next_date = dos_date_in_days(days);
                        expect(library().get_next_days(id) == days);
                        break;
                    }
                    default:
                        expect(library().get_frequency(id) == frequency);
                        // A forced check starts a worker: at most one a second per thread.
                        if (std::chrono::steady_clock::now() - last_check >= 1s) {
                            last_check = std::chrono::steady_clock::now();
                            library().check_w(id, L"/none/Orv_Vanta_Kit.exe", L"_1", 2, 1033);
                            out.next_date = dos_date_in_days(frequency);
                            expect(products[t]->dword(L"NextUpdateDate") == out.next_date);
                        }
                        break;
                }
            }
        });
    }
    for (auto& worker : workers) worker.join();

    unsigned calls = 0;
    unsigned mismatches = 0;
    for (int t = 0; t < threads; ++t) {
        SCOPED_TRACE(t);
        const product_settings& product = *products[t];
        calls += outcomes[t].calls;
        mismatches += outcomes[t].mismatches;
        EXPECT_EQ(product.dword(L"AutoUpdateCheck"),
                  static_cast<std::uint32_t>(outcomes[t].auto_check));
        EXPECT_EQ(product.dword(L"UpdateCheckFrequency"), static_cast<std::uint32_t>(10 + t));
        if (outcomes[t].next_date != 0) {
            EXPECT_EQ(product.dword(L"NextUpdateDate"), outcomes[t].next_date);
        }
    }
    std::printf("stress: exports, %d threads for %u s, %u calls, %u answers not the thread's own\n",
                threads, seconds, calls, mismatches);
    EXPECT_EQ(mismatches, 0u);
}

}  // namespace
}  // namespace orv_test
