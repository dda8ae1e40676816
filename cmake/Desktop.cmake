# What the desktop gets: the scene-file type, a menu entry that opens scene
# files in the viewer, its icons, a thumbnailer for the file manager and the
# AppStream metadata, all under the one ID below.

set(VEXTAL_APP_ID io.github.vextal.Vextal)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VEXTAL_APP_ID}.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VEXTAL_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VEXTAL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vextal.thumbnailer
    DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)

# The icons are the starfish example drawn by vextal-snapshot as the
# thumbnails are, at each size the hicolor theme asks for.
set(VEXTAL_ICON_SCENE ${PROJECT_SOURCE_DIR}/examples/starfish.vextal)
set(VEXTAL_ICONS)
foreach(size 32 48 64 128 256)
    set(icon ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${VEXTAL_APP_ID}.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:vextal-snapshot> --fill --turn 0.40,3.61 --background none --samples 4 --size ${size}x${size}
            ${VEXTAL_ICON_SCENE} ${icon}
        DEPENDS vextal-snapshot ${VEXTAL_ICON_SCENE}
        COMMENT "Drawing the ${size}x${size} icon"
        VERBATIM)
    list(APPEND VEXTAL_ICONS ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vextal-icons ALL DEPENDS ${VEXTAL_ICONS})
