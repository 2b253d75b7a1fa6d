# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules: the programs, a desktop entry with its icons, AppStream metainfo, manual pages,
# bash completion and the package's documents. debian/ builds the Debian package from them.
include(GNUInstallDirs)

install(TARGETS velmoran-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velmoran)
  install(TARGETS velmoran RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(WIN32)
  return()
endif()

set(VELMORAN_DATA ${CMAKE_SOURCE_DIR}/data)
set(VELMORAN_GENERATED ${CMAKE_BINARY_DIR}/data)
set(VELMORAN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/velmoran)

# Texts that carry the version, and the compressed copies a package holds.
configure_file(${VELMORAN_DATA}/man/velmoran.1 ${VELMORAN_GENERATED}/velmoran.1 @ONLY)
configure_file(${VELMORAN_DATA}/man/velmoran-cli.1 ${VELMORAN_GENERATED}/velmoran-cli.1 @ONLY)
configure_file(${VELMORAN_DATA}/changelog ${VELMORAN_GENERATED}/changelog @ONLY)
configure_file(${VELMORAN_DATA}/org.velmoran.Velmoran.metainfo.xml
               ${VELMORAN_GENERATED}/org.velmoran.Velmoran.metainfo.xml @ONLY)
set(VELMORAN_GZIPPED)
foreach(name velmoran.1 velmoran-cli.1 changelog)
  add_custom_command(OUTPUT ${VELMORAN_GENERATED}/${name}.gz
                     COMMAND gzip -9nkf ${VELMORAN_GENERATED}/${name}
                     DEPENDS ${VELMORAN_GENERATED}/${name} VERBATIM)
  list(APPEND VELMORAN_GZIPPED ${VELMORAN_GENERATED}/${name}.gz)
endforeach()

# The icon's PNG sizes, drawn from the SVG.
set(VELMORAN_ICON_SIZES 16 24 32 48 64 128 256)
find_program(RSVG_CONVERT rsvg-convert)
set(VELMORAN_PNG_ICONS)
if(RSVG_CONVERT)
  foreach(size ${VELMORAN_ICON_SIZES})
    set(png ${VELMORAN_GENERATED}/icons/${size}/velmoran.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORAN_GENERATED}/icons/${size}
                       COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                               ${VELMORAN_DATA}/icons/velmoran.svg
                       DEPENDS ${VELMORAN_DATA}/icons/velmoran.svg VERBATIM)
    list(APPEND VELMORAN_PNG_ICONS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
elseif(VELMORAN_PACKAGE)
  message(FATAL_ERROR "rsvg-convert (librsvg2-bin) draws the package's PNG icons")
else()
  message(STATUS "rsvg-convert not found: the PNG icons are not installed")
endif()
add_custom_target(velmoran_data ALL DEPENDS ${VELMORAN_GZIPPED} ${VELMORAN_PNG_ICONS})

install(FILES ${VELMORAN_DATA}/velmoran.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELMORAN_DATA}/velmoran-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME velmoran.xml)
install(FILES ${VELMORAN_DATA}/icons/velmoran.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VELMORAN_GENERATED}/org.velmoran.Velmoran.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VELMORAN_GENERATED}/velmoran.1.gz ${VELMORAN_GENERATED}/velmoran-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VELMORAN_DATA}/completion/velmoran-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${VELMORAN_GENERATED}/changelog.gz ${VELMORAN_DATA}/copyright
        DESTINATION ${VELMORAN_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/screenshot.png
        DESTINATION ${VELMORAN_DOC_DIR})
