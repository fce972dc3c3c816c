// The framework's modal dialog and worker threads, as other parts of the system use them: the
// dialog runs modally on the test's thread while a framework worker drives it like a user.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "framework/dialog.h"
#include "framework/worker_thread.h"
#include "tests/support/dialog_driver/dialog_driver.h"

namespace {

constexpr int name_box = 1001;
constexpr int option_box = 1002;
constexpr int other_button = 1003;
constexpr INT_PTR other_code = 32786;

class sample_dialog : public fw::dialog {
public:
    sample_dialog() : dialog(::GetModuleHandleW(nullptr), 200) {
        bind_text(name_box, name);
        bind_check(option_box, option);
    }

    std::wstring name = L"initial";
    int option = BST_CHECKED;
    bool saw_user_message = false;

protected:
    BOOL on_init_dialog() override {
        BOOL result = dialog::on_init_dialog();
        ::PostMessageW(handle(), WM_USER + 7, 0, 0);
        return result;
    }
    bool on_command(int id, int notify_code) override {
        if (id != other_button || notify_code != BN_CLICKED) return false;
        end_dialog(other_code);
        return true;
    }
    bool on_message(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message != WM_USER + 7) return false;
        saw_user_message = true;
        set_item_text(other_button, L"Seen");
        return true;
    }
};

// Runs `drive` on a framework worker while the dialog runs modally here.
template <typename Drive>
INT_PTR run_driven(sample_dialog& dialog, Drive drive) {
    fw::worker_thread driver = fw::worker_thread::start([drive] {
        HWND window = dialog_driver::wait_for_window(L"Framework Dialog", ::GetCurrentProcessId());
        if (!window) return 1u;
        drive(window);
        return 0u;
    });
    EXPECT_TRUE(driver);
    INT_PTR code = dialog.do_modal();
    EXPECT_TRUE(driver.wait(20000));
    DWORD exit_code = 99;
    ::GetExitCodeThread(driver.handle(), &exit_code);
    EXPECT_EQ(exit_code, 0u) << "the driver found no dialog";
    return code;
}

TEST(FrameworkDialog, OkReadsTheControlsBackIntoTheMembers) {
    sample_dialog dialog;
    INT_PTR code = run_driven(dialog, [](HWND window) {
        // Members reach the controls at initialisation.
        dialog_driver::wait_for_text(window, other_button, L"Seen");
        ::SendMessageW(::GetDlgItem(window, name_box), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"typed"));
        dialog_driver::press_button(window, option_box);
        dialog_driver::press_button(window, IDOK);
    });
    EXPECT_EQ(code, IDOK);
    EXPECT_EQ(dialog.name, L"typed");
    EXPECT_EQ(dialog.option, BST_UNCHECKED);
    EXPECT_TRUE(dialog.saw_user_message);
    EXPECT_EQ(dialog.handle(), nullptr);
}

TEST(FrameworkDialog, CancelAndTheCloseBoxKeepTheMembers) {
    for (bool close_box : {false, true}) {
        sample_dialog dialog;
        INT_PTR code = run_driven(dialog, [close_box](HWND window) {
            dialog_driver::wait_for_text(window, name_box, L"initial");
            ::SendMessageW(::GetDlgItem(window, name_box), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(L"discarded"));
            if (close_box) {
                dialog_driver::close_window(window);
            } else {
                dialog_driver::press_button(window, IDCANCEL);
            }
        });
        EXPECT_EQ(code, IDCANCEL);
        EXPECT_EQ(dialog.name, L"initial");
    }
}

TEST(FrameworkDialog, CommandsCanEndTheDialogWithTheirOwnCode) {
    sample_dialog dialog;
    INT_PTR code =
        run_driven(dialog, [](HWND window) { dialog_driver::press_button(window, other_button); });
    EXPECT_EQ(code, other_code);
}

TEST(FrameworkDialog, AMissingTemplateFailsTheRun) {
    class missing : public fw::dialog {
    public:
        missing() : dialog(::GetModuleHandleW(nullptr), 4242) {}
    } dialog;
    EXPECT_EQ(dialog.do_modal(), -1);
    EXPECT_FALSE(dialog.update_data(true));
}

unsigned add_one(void* argument) {
    static_cast<std::atomic<int>*>(argument)->fetch_add(1);
    return 7;
}

TEST(WorkerThread, RunsFunctionsAndCallablesAndOwnsTheHandle) {
    std::atomic<int> counter{0};
    fw::worker_thread pointer = fw::worker_thread::start(&add_one, &counter);
    ASSERT_TRUE(pointer);
    ASSERT_TRUE(pointer.wait(10000));
    DWORD code = 0;
    ::GetExitCodeThread(pointer.handle(), &code);
    EXPECT_EQ(code, 7u);

    fw::worker_thread callable = fw::worker_thread::start([&counter] { counter += 10; });
    ASSERT_TRUE(callable.wait(10000));
    ::GetExitCodeThread(callable.handle(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(counter.load(), 11);

    // A callable that throws ends its thread with 1 instead of taking the process down.
    fw::worker_thread throwing =
        fw::worker_thread::start([]() -> unsigned { throw std::runtime_error("x"); });
    ASSERT_TRUE(throwing.wait(10000));
    ::GetExitCodeThread(throwing.handle(), &code);
    EXPECT_EQ(code, 1u);

    fw::worker_thread empty;
    EXPECT_FALSE(empty);
    EXPECT_FALSE(empty.wait(0));
}

}  // namespace
