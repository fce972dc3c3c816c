# Discovery of calculators and hot-plug monitoring. What the walk over present HID interfaces
# and an arrival or removal mean is portable (tested natively too); the SetupAPI and HID class
# driver queries and the device notifications are Windows only.
add_library(calc_link_discovery STATIC ${CMAKE_CURRENT_LIST_DIR}/discovery.cpp)
if(WIN32)
    target_sources(calc_link_discovery PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/discovery_system_queries.cpp
        ${CMAKE_CURRENT_LIST_DIR}/discovery_notifications.cpp)
    target_link_libraries(calc_link_discovery PUBLIC setupapi hid user32)
endif()
