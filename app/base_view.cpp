#include "app/base_view.h"

void base_view::on_draw(HDC) {
    // The document has nothing to show; the class background is all there is.
}
