# The page query answered from running browsers' own files and loopback
# endpoints, and the X11 window list; included from this folder's CMakeLists.
include_guard(GLOBAL)
pkg_check_modules(LZ4 REQUIRED IMPORTED_TARGET GLOBAL liblz4)
target_sources(zn_linux PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/browser_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/firefox_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chromium_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/flatpak_sandboxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/loopback_http.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browser_page_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_window_list.cpp)
target_link_libraries(zn_linux PRIVATE PkgConfig::LZ4)
