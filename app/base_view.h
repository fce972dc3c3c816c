// The view of a main_doc: an empty client area.
#pragma once

#include "framework/view.h"

class base_view : public fw::view {
protected:
    void on_draw(HDC dc) override;
};
