# What `cmake --install BUILD [--prefix P]` puts where, and the Debian package
# that `cpack -G DEB` makes of the same files.

include(GNUInstallDirs)
set(VEXTAL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vextal)
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Desktop.cmake)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vextal vextal-export vextal-snapshot vextal-animate vextal-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vextal-fit)
    install(TARGETS vextal-fit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The web page and vextal-web, which serves it or copies it into a folder:
# only where the page was built (emscripten installed).
if(TARGET vextal-web-geometry)
    install(PROGRAMS ${PROJECT_BINARY_DIR}/web/installed/vextal-web DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(DIRECTORY ${PROJECT_BINARY_DIR}/web/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vextal/web
        FILES_MATCHING PATTERN "*.html" PATTERN "*.js" PATTERN "*.mjs" PATTERN "*.css"
        PATTERN "*.vextal" PATTERN "list.json"
        PATTERN "CMakeFiles" EXCLUDE PATTERN "wasm" EXCLUDE PATTERN "installed" EXCLUDE
        PATTERN "vextal-web-geometry-prefix" EXCLUDE)
endif()

# The Python module and its stub, where Debian's python3 finds them under /usr.
if(VEXTAL_BUILD_PYTHON)
    install(TARGETS vextal_python LIBRARY DESTINATION lib/python3/dist-packages)
    install(FILES ${PROJECT_SOURCE_DIR}/python/vextal.pyi DESTINATION lib/python3/dist-packages)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, python3-numpy")
endif()

foreach(page IN LISTS VEXTAL_MAN_PAGES)
    string(REGEX MATCH "[0-9]\\.gz$" section ${page})
    string(SUBSTRING ${section} 0 1 section)
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vextal/examples
    FILES_MATCHING PATTERN "*.vextal")

# The README and its documents keep their pictures where their links expect them.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VEXTAL_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/viewer.png ${PROJECT_SOURCE_DIR}/docs/panel.png
    ${PROJECT_SOURCE_DIR}/docs/web-page.png
    DESTINATION ${VEXTAL_DOC_DIR}/docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${VEXTAL_DOC_DIR}/docs
    FILES_MATCHING PATTERN "*.md" PATTERN "man" EXCLUDE PATTERN "gallery" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/gallery DESTINATION ${VEXTAL_DOC_DIR}/docs
    FILES_MATCHING PATTERN "*.png" PATTERN "*.gif" PATTERN "*.webp")

# Debian's places for the licence and the release history.
set(VEXTAL_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${VEXTAL_CHANGELOG}
    COMMAND gzip -9n < ${PROJECT_SOURCE_DIR}/packaging/changelog > ${VEXTAL_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
add_custom_target(vextal-changelog ALL DEPENDS ${VEXTAL_CHANGELOG})
install(FILES ${VEXTAL_CHANGELOG} DESTINATION ${VEXTAL_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${VEXTAL_DOC_DIR} RENAME copyright)

# bash-completion loads the file named for the command being completed.
set(VEXTAL_COMPLETED vextal vextal-export vextal-snapshot vextal-animate vextal-check)
if(TARGET vextal-fit)
    list(APPEND VEXTAL_COMPLETED vextal-fit)
endif()
foreach(program ${VEXTAL_COMPLETED})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/vextal.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

set(CPACK_PACKAGE_NAME vextal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Vextal developers")
set(CPACK_PACKAGE_CONTACT "The Vextal developers <vextal@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of parametric surfaces, with mesh and picture export")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Vextal shows a superformula surface, in spherical or toroidal form, or a\n"
    "spherical-harmonic surface that a small text file describes, lit and\n"
    "smooth-shaded in an OpenGL window, and reads it again while R is held.\n"
    "vextal-export writes the same surface as an OBJ, PLY, STL, 3MF or glTF mesh,\n"
    "vextal-snapshot draws it offscreen as a PNG picture, without a display,\n"
    "vextal-animate makes a turntable or a morph of it as a GIF, WebP or MP4,\n"
    "and vextal-check explains a scene file as the loader reads it. The Python\n"
    "module vextal gives the same meshes as NumPy arrays, pictures and files.")
# vextal-animate runs the ffmpeg program for MP4 videos; nothing else needs it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
