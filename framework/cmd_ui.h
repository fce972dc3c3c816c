// The state request for one user-interface element that stands for a command: a menu item
// when its popup opens, or a status-bar pane at idle time. Update handlers answer it by
// enabling, checking or setting the element's text. UI thread only.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class cmd_target;

class cmd_ui {
public:
    explicit cmd_ui(UINT id) : id_(id) {}
    virtual ~cmd_ui() = default;
    cmd_ui(const cmd_ui&) = delete;
    cmd_ui& operator=(const cmd_ui&) = delete;

    UINT id() const noexcept { return id_; }

    virtual void enable(bool on = true) = 0;
    virtual void set_check(bool checked = true) = 0;
    virtual void set_radio(bool checked = true) = 0;
    virtual void set_text(const std::wstring& text) = 0;

    // The popup menu that holds the item, and the item's position in it; nullptr and 0 for a
    // status-bar pane.
    virtual HMENU menu() const { return nullptr; }
    virtual UINT index() const { return 0; }

    // Asks `target` for the element's state. When no update handler answers, an element whose
    // command has a handler is enabled and, with `disable_if_unhandled`, one without is
    // disabled.
    void do_update(cmd_target& target, bool disable_if_unhandled);

private:
    UINT id_;
};

// A menu item, found by its position in the popup that is opening.
class menu_cmd_ui final : public cmd_ui {
public:
    menu_cmd_ui(HMENU menu, UINT index, UINT id) : cmd_ui(id), menu_(menu), index_(index) {}

    void enable(bool on) override;
    void set_check(bool checked) override;
    void set_radio(bool checked) override;
    void set_text(const std::wstring& text) override;
    HMENU menu() const override { return menu_; }
    UINT index() const override { return index_; }

private:
    HMENU menu_;
    UINT index_;
};

}  // namespace fw
