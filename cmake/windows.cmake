# The Windows build. Each program carries its icon and version information (a resource made from
# data/windows/version.rc.in); `cmake --install` lays out the folder that the installer and the
# zip hold: the two programs, the user guide as HTML beside its pictures, and the licence.
# scripts/windows adds Qt's and the compiler's libraries, Qt's plugins and French translations.
set_target_properties(volterne PROPERTIES WIN32_EXECUTABLE ON)

find_program(VOLTERNE_RSVG rsvg-convert REQUIRED)
find_program(VOLTERNE_ICOTOOL icotool REQUIRED)
find_program(VOLTERNE_MARKDOWN markdown_py REQUIRED)
set(VOLTERNE_WINDOWS ${CMAKE_BINARY_DIR}/windows)
file(MAKE_DIRECTORY ${VOLTERNE_WINDOWS})

# The icon, at the sizes Windows shows (the list, the title bar, Explorer's large icons).
set(VOLTERNE_ICON ${VOLTERNE_WINDOWS}/volterne.ico)
set(pictures)
foreach(size 16 24 32 48 64 256)
    set(picture ${VOLTERNE_WINDOWS}/volterne-${size}.png)
    add_custom_command(OUTPUT ${picture}
        COMMAND ${VOLTERNE_RSVG} -w ${size} -h ${size} -o ${picture}
                ${PROJECT_SOURCE_DIR}/data/volterne.svg
        DEPENDS ${PROJECT_SOURCE_DIR}/data/volterne.svg VERBATIM)
    list(APPEND pictures ${picture})
endforeach()
add_custom_command(OUTPUT ${VOLTERNE_ICON}
    COMMAND ${VOLTERNE_ICOTOOL} -c -o ${VOLTERNE_ICON} ${pictures}
    DEPENDS ${pictures} VERBATIM)
add_custom_target(volterne_icon DEPENDS ${VOLTERNE_ICON})

function(volterne_windows_resource program description)
    set(VOLTERNE_PROGRAM ${program})
    set(VOLTERNE_DESCRIPTION ${description})
    set(resource ${VOLTERNE_WINDOWS}/${program}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/data/windows/version.rc.in ${resource} @ONLY)
    set_source_files_properties(${resource} PROPERTIES OBJECT_DEPENDS ${VOLTERNE_ICON})
    target_sources(${program} PRIVATE ${resource})
    add_dependencies(${program} volterne_icon)
endfunction()
volterne_windows_resource(volterne "Volterne, platine d'acquisition trois voies")
volterne_windows_resource(volterne-convert "Volterne, conversion des enregistrements")

# The guide as a page that any browser opens, its pictures beside it.
set(VOLTERNE_GUIDE ${VOLTERNE_WINDOWS}/guide.html)
add_custom_command(OUTPUT ${VOLTERNE_GUIDE}
    COMMAND ${CMAKE_COMMAND} -DMARKDOWN=${VOLTERNE_MARKDOWN}
            -DSOURCE=${PROJECT_SOURCE_DIR}/docs/guide.md -DOUTPUT=${VOLTERNE_GUIDE}
            -P ${PROJECT_SOURCE_DIR}/cmake/guidehtml.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide.md ${PROJECT_SOURCE_DIR}/cmake/guidehtml.cmake
    VERBATIM)
add_custom_target(volterne_guide ALL DEPENDS ${VOLTERNE_GUIDE})

install(TARGETS volterne volterne-convert RUNTIME DESTINATION .)
file(GLOB VOLTERNE_GUIDE_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide-*.png)
install(FILES ${VOLTERNE_GUIDE} ${VOLTERNE_GUIDE_PICTURES} DESTINATION guide)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${VOLTERNE_ICON} DESTINATION .)
