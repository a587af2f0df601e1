# The Windows download. In a build folder made with cmake/mingw-w64.cmake and
# given a built page (-DKALAND_WEB_PAGE=build-web/kaland.html),
#   cpack -G ZIP
# makes kaland-VERSION-win64.zip: one folder holding the three programs, the
# page kaland.html (which plays the bundled adventure in a browser and is
# kaland-publish's template), the adventure and its walkthrough, README.txt
# for Windows users and the four manual pages as HTML, named manual-*.html so
# that no two files share a name; and kaland studio, when the build is given
# -DKALAND_STUDIO_PAGE=build-web/kaland-studio.html. Everything sits beside
# the programs, since kaland plays zelmor.map from the current directory.

install(TARGETS kaland kaland-check kaland-publish RUNTIME DESTINATION .)
install(FILES zelmor.map zelmor.walkthrough DESTINATION .)
if(KALAND_WEB_PAGE)
  install(FILES ${KALAND_WEB_PAGE} DESTINATION . RENAME kaland.html)
else()
  message(WARNING "KALAND_WEB_PAGE is not set: the programs build, but the zip needs the page "
                  "kaland.html for kaland-publish (build it with Emscripten, see the README)")
  install(CODE "message(FATAL_ERROR \"the zip needs the page kaland.html: configure with -DKALAND_WEB_PAGE=build-web/kaland.html\")")
endif()
if(KALAND_STUDIO_PAGE)
  install(FILES ${KALAND_STUDIO_PAGE} DESTINATION . RENAME kaland-studio.html)
endif()

# Windows line ends, so that every Notepad shows the lines apart.
configure_file(docs/README-windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

# The manual pages, rendered to HTML at build time.
find_program(KALAND_MANDOC mandoc)
if(KALAND_MANDOC)
  set(KALAND_MANUAL_PAGES)
  foreach(page kaland.1 kaland-check.1 kaland-publish.1 kaland-map.5)
    get_filename_component(name ${page} NAME_WE)
    set(html ${CMAKE_CURRENT_BINARY_DIR}/manual-${name}.html)
    add_custom_command(
      OUTPUT ${html}
      COMMAND ${CMAKE_COMMAND} -DMANDOC=${KALAND_MANDOC} -DPAGE=${CMAKE_CURRENT_SOURCE_DIR}/man/${page}
              -DHTML=${html} -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/render_manual.cmake
      DEPENDS man/${page} cmake/render_manual.cmake
      COMMENT "Rendering ${page} as HTML"
      VERBATIM)
    list(APPEND KALAND_MANUAL_PAGES ${html})
  endforeach()
  add_custom_target(manual_html ALL DEPENDS ${KALAND_MANUAL_PAGES})
  install(FILES ${KALAND_MANUAL_PAGES} DESTINATION .)
else()
  message(WARNING "mandoc not found: the programs build, but the zip needs the manual pages "
                  "(apt-get install mandoc)")
  install(CODE "message(FATAL_ERROR \"the manual pages need mandoc: apt-get install mandoc\")")
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME kaland-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES TRUE)
