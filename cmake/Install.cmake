# SPDX-License-Identifier: GPL-3.0-or-later
# cmake --install: the program folder (corvale, libvbmp3.so, color/, demo/,
# README) under <prefix>/lib/corvale/, the corvale command in <prefix>/bin as
# a link into it, the desktop entry, the icon and the AppStream metainfo under
# <prefix>/share (cmake/Package.cmake adds the manual page and the copyright).
# The program finds its library and schemes beside its real path, so the link
# works; an installed folder that users cannot write makes each keep their
# settings in ~/.config/corvale/.
set(CORVALE_INSTALL_DIR lib/corvale)

if(TARGET corvale)
  install(PROGRAMS $<TARGET_FILE:corvale> DESTINATION ${CORVALE_INSTALL_DIR})
endif()
if(TARGET vbmp3)
  # Copied byte for byte (never stripped): the program checks its size.
  install(FILES $<TARGET_FILE:vbmp3> DESTINATION ${CORVALE_INSTALL_DIR}
          PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/color/ DESTINATION ${CORVALE_INSTALL_DIR}/color
        FILES_MATCHING PATTERN "*.kcl")
if(TARGET demo)
  install(DIRECTORY ${CORVALE_PROGRAM_DIR}/demo/ DESTINATION ${CORVALE_INSTALL_DIR}/demo
          FILES_MATCHING PATTERN "*.mp3" PATTERN "*.mp2" PATTERN "*.wav" PATTERN "*.lrc" PATTERN "*.kra"
                         PATTERN "*.txt" PATTERN "*.m3u")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CORVALE_INSTALL_DIR})
foreach(licence LICENSE LICENSE.txt COPYING)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${licence})
    install(FILES ${PROJECT_SOURCE_DIR}/${licence} DESTINATION ${CORVALE_INSTALL_DIR})
  endif()
endforeach()

install(CODE [[
  set(corvale_bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${corvale_bin}")
  file(REMOVE "${corvale_bin}/corvale")
  file(CREATE_LINK ../lib/corvale/corvale "${corvale_bin}/corvale" SYMBOLIC)
  message(STATUS "Installing: ${corvale_bin}/corvale -> ../lib/corvale/corvale")
]])

install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/corvale.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/corvale.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/io.github.corvale.Corvale.metainfo.xml DESTINATION share/metainfo)
