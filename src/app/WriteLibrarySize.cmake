# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the size in bytes of LIBRARY into the source file OUTPUT (-1 when
# there is no library).
if(LIBRARY AND EXISTS "${LIBRARY}")
  file(SIZE "${LIBRARY}" size)
else()
  set(size -1)
endif()
file(WRITE "${OUTPUT}" "// Generated at build time from the engine library's size.\n#include \"app/Vbmp3BuildInfo.h\"\n\nconst long long Vbmp3BuildInfo::LibrarySize = ${size};\n")
