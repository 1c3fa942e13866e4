# What `cmake --install` puts in place: the three programs, the desktop entry and the recordings'
# MIME type, the icon, the AppStream metainfo, the manual pages (compressed, as Debian wants them),
# the copyright and changelog of the package, and the user guide with its pictures (left
# uncompressed, so that it opens as it is and its pictures show; the About box gives its path).
set(VOLTERNE_DATA ${PROJECT_SOURCE_DIR}/data)

install(TARGETS volterne volterne-convert volterne-board-sim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VOLTERNE_DATA}/org.volterne.volterne.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The recordings' MIME type, which the desktop entry opens.
install(FILES ${VOLTERNE_DATA}/org.volterne.volterne-recording.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${VOLTERNE_DATA}/org.volterne.volterne.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VOLTERNE_DATA}/volterne.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# gzip -n leaves out the time stamp, so the same sources give the same package.
set(compressed)
foreach(page volterne.1 volterne-convert.1 volterne-board-sim.1)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9nc ${VOLTERNE_DATA}/man/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
        DEPENDS ${VOLTERNE_DATA}/man/${page} VERBATIM)
    list(APPEND compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
    COMMAND gzip -9nc ${VOLTERNE_DATA}/debian/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DEPENDS ${VOLTERNE_DATA}/debian/changelog VERBATIM)
add_custom_target(volterne_docs ALL DEPENDS ${compressed} ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VOLTERNE_DATA}/debian/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB VOLTERNE_GUIDE_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide-*.png)
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide.md ${VOLTERNE_GUIDE_PICTURES}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
