# SPDX-License-Identifier: GPL-3.0-or-later
# Fails the build when a layer includes from a layer above it: core/ sees neither files/, app/
# nor cli/, files/ sees neither app/ nor cli/, and neither of them includes a Qt header.
# Run as: cmake -DROOT=<source folder> -P CheckLayers.cmake
set(forbidden_core "^[ \t]*#[ \t]*include[ \t]*[<\"](files/|app/|cli/|Q[A-Za-z]*[>/]|qt)")
set(forbidden_files "^[ \t]*#[ \t]*include[ \t]*[<\"](app/|cli/|Q[A-Za-z]*[>/]|qt)")
set(failed FALSE)
foreach(layer core files)
  file(GLOB sources ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "${forbidden_${layer}}")
    foreach(line ${lines})
      file(RELATIVE_PATH shown ${ROOT} ${source})
      message("${shown}: ${layer}/ may not include this: ${line}")
      set(failed TRUE)
    endforeach()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "a layer includes from a layer above it (see docs/ARCHITECTURE.md)")
endif()
