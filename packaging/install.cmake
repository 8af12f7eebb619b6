# Install rules: one program folder holding the programs, the component libraries and the help
# file (the programs look for the help and the libraries beside themselves), command names in
# bin/, the desktop entry and the workspace file type, and registration of the components.
include(GNUInstallDirs)

set(CORVANE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/corvane CACHE STRING
    "Program folder of the installed programs, libraries and help, relative to the prefix")

set(corvane_programs cvk cvkgen cvkreg setupaid-probe)
set(corvane_libraries corvane_com cvkserver modweave setupaid)
if(CORVANE_GUI)
    list(PREPEND corvane_programs corvane)
endif()

# Installed programs find the runtime and each other's libraries in their own folder.
set_target_properties(${corvane_programs} ${corvane_libraries} PROPERTIES
    INSTALL_RPATH "$ORIGIN")
install(TARGETS ${corvane_programs} ${corvane_libraries}
    RUNTIME DESTINATION ${CORVANE_INSTALL_DIR}
    LIBRARY DESTINATION ${CORVANE_INSTALL_DIR})

if(CORVANE_GUI)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/cvtool.chm DESTINATION ${CORVANE_INSTALL_DIR})
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/corvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/corvane-workspace.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
endif()

# The demo board's map file and flash images, to try the program on.
install(FILES ${PROJECT_BINARY_DIR}/samples/demo.cvk ${PROJECT_BINARY_DIR}/samples/demo.bio
    ${PROJECT_BINARY_DIR}/samples/demo_2.bio ${PROJECT_BINARY_DIR}/samples/demo-plain.cvk
    DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/samples)

# Command names on the path: relative links into the program folder.
file(RELATIVE_PATH corvane_bin_to_programs
    /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CORVANE_INSTALL_DIR})
foreach(program IN LISTS corvane_programs)
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(CREATE_LINK \"${corvane_bin_to_programs}/${program}\" \"\${link}\" SYMBOLIC)
        message(STATUS \"Installing: \${link}\")")
endforeach()

# Registration last, once every library is in place.
install(CODE "
    set(dir \"\${CMAKE_INSTALL_PREFIX}/${CORVANE_INSTALL_DIR}\")
    set(CVKREG \"\${dir}/cvkreg\")
    set(LIBRARIES \"\${dir}/libcvkserver.so;\${dir}/libmodweave.so\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/register.cmake\")")

# Manual pages, built from their templates with each program's own usage text and installed
# compressed.
set(corvane_man_pages)
foreach(program IN LISTS corvane_programs)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}>
            -DTEMPLATE=${CMAKE_CURRENT_LIST_DIR}/man/${program}.1.in -DOUTPUT=${page}
            -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/man/make_man.cmake
        DEPENDS ${program} ${CMAKE_CURRENT_LIST_DIR}/man/${program}.1.in
            ${CMAKE_CURRENT_LIST_DIR}/man/make_man.cmake
        COMMENT "Writing the manual page ${program}(1)"
        VERBATIM)
    list(APPEND corvane_man_pages ${page})
endforeach()
add_custom_target(corvane_man ALL DEPENDS ${corvane_man_pages})
install(FILES ${corvane_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The manuals of the command-line tools and the package's copyright and changelog.
install(FILES ${PROJECT_SOURCE_DIR}/docs/cvk.md ${PROJECT_SOURCE_DIR}/docs/cvkgen.md
    ${PROJECT_SOURCE_DIR}/docs/board-description.md ${PROJECT_SOURCE_DIR}/docs/registry.md
    ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)
set(corvane_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${corvane_changelog}
    COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/debian/changelog > ${corvane_changelog}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog
    VERBATIM)
add_custom_target(corvane_changelog ALL DEPENDS ${corvane_changelog})
install(FILES ${corvane_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)

if(CORVANE_GUI)
    # The program's icon and the workspace file's, and the software-centre description.
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/corvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/application-x-corvane-workspace.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/com.halvex.corvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
