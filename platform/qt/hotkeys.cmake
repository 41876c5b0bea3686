# Hotkey delivery on the UI thread (X grabs or the Wayland portal), key
# conversion and the options dialog's hotkey field; included from this folder's CMakeLists.
include_guard(GLOBAL)
target_sources(zn_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/hotkey_pump.h
  ${CMAKE_CURRENT_LIST_DIR}/hotkey_pump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portal_shortcut.h
  ${CMAKE_CURRENT_LIST_DIR}/portal_hotkeys.h
  ${CMAKE_CURRENT_LIST_DIR}/portal_hotkeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_hotkeys.h
  ${CMAKE_CURRENT_LIST_DIR}/desktop_hotkeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_sequence.h
  ${CMAKE_CURRENT_LIST_DIR}/key_sequence.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../../settings/qt/hotkey_field.h
  ${CMAKE_CURRENT_LIST_DIR}/../../settings/qt/hotkey_field.cpp)
