# Install-time step: registers the installed component libraries with the installed cvkreg.
# Expects CVKREG and LIBRARIES (a list of installed library paths, without DESTDIR).

# A staged install (DESTDIR) holds libraries that are not yet at the paths a registration would
# record; the package's own set-up registers them once they are in place.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
    message(STATUS "Staged install into $ENV{DESTDIR}: components not registered; "
        "run cvkreg on each component library once installed")
    return()
endif()

foreach(library IN LISTS LIBRARIES)
    execute_process(COMMAND "${CVKREG}" "${library}" RESULT_VARIABLE status
        OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Registering ${library} failed:\n${output}")
    endif()
    message(STATUS "Registered: ${library}")
endforeach()
