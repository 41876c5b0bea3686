# The Windows distribution folder (`--target dist-win`): what setup.exe
# installs from, as a user unpacks it: setup.exe, the main program, the
# uninstaller, the help page, the release notes and the description file.
set(ZN_WIN_DIST_DIR ${CMAKE_BINARY_DIR}/dist-win)
set(ZN_WIN_DIST_TARGETS setup unzn znvault)
set(ZN_WIN_DIST_PROGRAMS)
set(ZN_WIN_DIST_COPIES)
foreach(program ${ZN_WIN_DIST_TARGETS})
  list(APPEND ZN_WIN_DIST_PROGRAMS $<TARGET_FILE:${program}>)
  list(APPEND ZN_WIN_DIST_COPIES ${ZN_WIN_DIST_DIR}/$<TARGET_FILE_NAME:${program}>)
endforeach()

# Text files carry Windows line ends, which every Windows editor shows.
set(ZN_WIN_DIST_TEXTS)
foreach(name readme.txt znhelp.htm file_id.diz)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/${name})
  file(READ ${CMAKE_SOURCE_DIR}/dist/${name} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/dist-win-texts/${name} "${text}")
  list(APPEND ZN_WIN_DIST_TEXTS ${CMAKE_BINARY_DIR}/dist-win-texts/${name})
endforeach()

add_custom_target(dist-win ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZN_WIN_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZN_WIN_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${ZN_WIN_DIST_PROGRAMS} ${ZN_WIN_DIST_TEXTS} ${ZN_WIN_DIST_DIR}
  COMMAND ${CMAKE_STRIP} ${ZN_WIN_DIST_COPIES}
  DEPENDS ${ZN_WIN_DIST_TARGETS}
  COMMENT "Windows distribution folder: ${ZN_WIN_DIST_DIR}"
  VERBATIM)
