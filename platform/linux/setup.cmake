# The services of the setup program and the uninstaller: desktop-entry
# shortcuts and the search for a running program's window.
include_guard(GLOBAL)
target_sources(zn_linux PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/desktop_links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_application_window.cpp)
