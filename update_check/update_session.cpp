#include "update_check/update_session.h"

namespace orv {

internet_handle open_update_session() {
    return internet_handle(::InternetOpenW(L"Microsoft Internet Explorer",
                                           INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

}  // namespace orv
