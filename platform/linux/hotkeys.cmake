# Global hotkeys over X11 key grabs, and their triggers for the Wayland portal; included from this folder's CMakeLists.
include_guard(GLOBAL)
target_sources(zn_linux PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/virtual_keys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_keyboard_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_hotkeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portal_trigger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session_type.cpp)
