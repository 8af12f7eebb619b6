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
