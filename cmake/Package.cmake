# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build tree (./run package) makes
# corvale_<version>_<arch>.deb from what cmake/Install.cmake installs, with
# /usr as the prefix. Depends comes from the libraries the program and the
# engine library link (dpkg-shlibdeps); nothing is stripped, since the program
# checks the size of its engine library.
set(CORVALE_PACKAGE_CONTACT "Corvale developers <corvale@users.noreply.github.com>"
    CACHE STRING "Maintainer of the Debian package")

# The copyright file in the machine-readable format, with the full licence
# text of the project's LICENSE.
set(corvale_copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Corvale
Source: https://github.com/corvale/corvale

Files: *
Copyright: 2026 The Corvale developers
License: GPL-3+

License: GPL-3+
 This program is free software: you can redistribute it and/or modify
 it under the terms of the GNU General Public License as published by
 the Free Software Foundation, either version 3 of the License, or
 (at your option) any later version.
 .
 This program is distributed in the hope that it will be useful,
 but WITHOUT ANY WARRANTY; without even the implied warranty of
 MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  See the
 GNU General Public License for more details.
 .
 On Debian systems, the complete text of the GNU General Public License
 version 3 can be found in \"/usr/share/common-licenses/GPL-3\".
")
set(corvale_gpl3 ${PROJECT_SOURCE_DIR}/LICENSE)
if(EXISTS ${corvale_gpl3})
  # Each line indented by one space, an empty line written as " .".
  file(READ ${corvale_gpl3} corvale_gpl3_text)
  string(REGEX REPLACE "\n+$" "" corvale_gpl3_text "${corvale_gpl3_text}")
  string(REPLACE "\n" "\n " corvale_gpl3_text "${corvale_gpl3_text}")
  string(REGEX REPLACE "\n [ \t]*\n" "\n .\n" corvale_gpl3_text "${corvale_gpl3_text}")
  string(REGEX REPLACE "\n [ \t]*\n" "\n .\n" corvale_gpl3_text "${corvale_gpl3_text}")
  string(APPEND corvale_copyright " .\n ${corvale_gpl3_text}\n")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/package/copyright CONTENT "${corvale_copyright}" @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright DESTINATION share/doc/corvale)

# The manual page, compressed as Debian keeps them.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/corvale.1.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/data/man/corvale.1 > ${CMAKE_BINARY_DIR}/package/corvale.1.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/data/man/corvale.1 VERBATIM)
add_custom_target(corvale_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/package/corvale.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/corvale.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${CORVALE_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio player with the front panel of a hi-fi component")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Corvale plays MP3, MP2, MP1, WAV, FLAC, Ogg Vorbis and Opus files, singly or
as m3u playlists. Its window shows an LED spectrum analyser and level meter,
seven-segment readouts of the track number, time, sampling frequency and bit
rate, the title of the track and the current line of its timed lyrics. Its
user-interface texts are Japanese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/corvale/corvale)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES OFF)
set(CPACK_SOURCE_GENERATOR "")
# Packing (and installing) takes the tree as built, without checking every
# target first: build, then pack.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
