# The manual pages, compressed as installed: section 1 from each program's
# own --help (through help2man), section 5 written by hand.

set(VEXTAL_MAN_DIR ${PROJECT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${VEXTAL_MAN_DIR})
set(VEXTAL_MAN_PAGES)

# The pages name the folders where the install puts things.
set(VEXTAL_FULL_DOC_DIR ${CMAKE_INSTALL_PREFIX}/${VEXTAL_DOC_DIR})
set(VEXTAL_FULL_EXAMPLES_DIR ${CMAKE_INSTALL_FULL_DATADIR}/vextal/examples)
configure_file(${PROJECT_SOURCE_DIR}/docs/man/see-also.h2m.in ${VEXTAL_MAN_DIR}/see-also.h2m @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/docs/man/vextal-scene.5.in ${VEXTAL_MAN_DIR}/vextal-scene.5 @ONLY)
add_custom_command(OUTPUT ${VEXTAL_MAN_DIR}/vextal-scene.5.gz
    COMMAND gzip -9nkf ${VEXTAL_MAN_DIR}/vextal-scene.5
    DEPENDS ${VEXTAL_MAN_DIR}/vextal-scene.5
    VERBATIM)
list(APPEND VEXTAL_MAN_PAGES ${VEXTAL_MAN_DIR}/vextal-scene.5.gz)

find_program(VEXTAL_HELP2MAN help2man)
if(VEXTAL_HELP2MAN)
    # A program built as a target, or a script given by its path (PATH).
    function(vextal_program_man_page program what_it_does)
        set(page ${VEXTAL_MAN_DIR}/${program}.1.gz)
        set(run $<TARGET_FILE:${program}>)
        set(depends ${program})
        if(ARGC GREATER 2)
            set(run ${ARGV2})
            set(depends ${ARGV2})
        endif()
        add_custom_command(OUTPUT ${page}
            COMMAND ${PROJECT_SOURCE_DIR}/docs/man/help-to-man.sh ${VEXTAL_HELP2MAN}
                ${run} ${what_it_does}
                ${VEXTAL_MAN_DIR}/see-also.h2m ${page}
            DEPENDS ${depends} ${PROJECT_SOURCE_DIR}/docs/man/help-to-man.sh
                ${VEXTAL_MAN_DIR}/see-also.h2m
            VERBATIM)
        set(VEXTAL_MAN_PAGES ${VEXTAL_MAN_PAGES} ${page} PARENT_SCOPE)
    endfunction()
    vextal_program_man_page(vextal "viewer of parametric surfaces described by a scene file")
    vextal_program_man_page(vextal-export "write the surface of a scene file as an OBJ, PLY, STL, 3MF or glTF mesh")
    vextal_program_man_page(vextal-snapshot "draw a scene file offscreen and write the picture as a PNG")
    vextal_program_man_page(vextal-animate "draw a turntable or a morph of scene files as a GIF, WebP or MP4")
    vextal_program_man_page(vextal-check "explain a scene file as the loader reads it")
    if(TARGET vextal-fit)
        vextal_program_man_page(vextal-fit "fit a superformula surface to a point set or a mesh, or a curve to an outline")
    endif()
    if(TARGET vextal-web-geometry)
        vextal_program_man_page(vextal-web "serve Vextal's web page on 127.0.0.1, or write it as a folder for a web host"
            ${PROJECT_BINARY_DIR}/tools/vextal-web)
    endif()
else()
    message(WARNING "help2man was not found: the programs' manual pages are not built"
                    " (scripts/install-deps.sh build installs it)")
endif()

add_custom_target(vextal-man-pages ALL DEPENDS ${VEXTAL_MAN_PAGES})
