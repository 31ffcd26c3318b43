# `make install` (prefix /usr/local unless CMAKE_INSTALL_PREFIX says otherwise; DESTDIR
# honoured): both programs, the desktop entry with the project file type, the icon in
# several sizes, AppStream metadata, the manual page of gleam-cli and the user manual (one
# HTML file a language, which Help, User manual opens). `make uninstall`
# removes what the last install listed in install_manifest.txt (with the same DESTDIR).
# Every rule belongs to the
# component "Gleam", so a test can install (and list) them into a stage of its own.
include(GNUInstallDirs)

set(GLEAM_APP_ID com.vortanix.Gleam)
set(GLEAM_RESOURCES ${CMAKE_SOURCE_DIR}/resources)

install(TARGETS gleam gleam-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Gleam)
install(FILES ${GLEAM_RESOURCES}/desktop/${GLEAM_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Gleam)
install(FILES ${GLEAM_RESOURCES}/desktop/${GLEAM_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT Gleam)
install(FILES ${GLEAM_RESOURCES}/desktop/${GLEAM_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${GLEAM_APP_ID}.xml
        COMPONENT Gleam)
install(FILES ${GLEAM_RESOURCES}/man/gleam-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT Gleam)
# The program looks for it here (src/app/ManualLocation).
install(DIRECTORY ${GLEAM_RESOURCES}/manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/gleam/manual
        COMPONENT Gleam FILES_MATCHING PATTERN "*.html")
install(FILES ${GLEAM_RESOURCES}/icons/${GLEAM_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Gleam)

# The bitmap sizes of the icon, rendered from the SVG at build time.
set(GLEAM_ICON_SIZES 16 24 32 48 64 128 256)
find_program(GLEAM_RSVG_CONVERT rsvg-convert)
if(GLEAM_RSVG_CONVERT)
  set(GLEAM_ICON_PNGS)
  foreach(size IN LISTS GLEAM_ICON_SIZES)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${GLEAM_APP_ID}.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${GLEAM_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
              ${GLEAM_RESOURCES}/icons/${GLEAM_APP_ID}.svg
      DEPENDS ${GLEAM_RESOURCES}/icons/${GLEAM_APP_ID}.svg
      COMMENT "Rendering the ${size}x${size} icon")
    list(APPEND GLEAM_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            COMPONENT Gleam)
  endforeach()
  add_custom_target(gleam_icons ALL DEPENDS ${GLEAM_ICON_PNGS})
  set(GLEAM_ICON_SIZES_MADE ${GLEAM_ICON_SIZES})
else()
  set(GLEAM_ICON_SIZES_MADE)
  message(STATUS "rsvg-convert not found: only the scalable icon will be installed")
endif()

# A real install (no DESTDIR) tells the desktop about the new entry, type and icons.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    foreach(tool update-desktop-database update-mime-database gtk-update-icon-cache)
      find_program(gleam_tool_${tool} ${tool})
    endforeach()
    set(share "${CMAKE_INSTALL_PREFIX}/share")
    if(gleam_tool_update-desktop-database)
      execute_process(COMMAND ${gleam_tool_update-desktop-database} -q "${share}/applications")
    endif()
    if(gleam_tool_update-mime-database)
      execute_process(COMMAND ${gleam_tool_update-mime-database} "${share}/mime")
    endif()
    if(gleam_tool_gtk-update-icon-cache)
      execute_process(COMMAND ${gleam_tool_gtk-update-icon-cache} -q -t -f "${share}/icons/hicolor")
    endif()
  endif()
]] COMPONENT Gleam)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DGLEAM_MANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
  COMMENT "Removing the installed files")
