# Build step: writes a manual page from its template, with the program's own usage text (its
# --help output) as the synopsis, so that the page and the program cannot disagree; then
# compresses it as Debian installs manual pages.
# Expects PROGRAM, TEMPLATE, OUTPUT (the .gz file) and VERSION. The program runs without a
# display (a Qt program on the offscreen platform).
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE usage RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()
string(STRIP "${usage}" usage)
# roff: a backslash is written \e, and a line may not start with a period or an apostrophe.
string(REPLACE "\\" "\\e" usage "${usage}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" usage "${usage}")
string(REPLACE "-" "\\-" usage "${usage}")
file(READ "${TEMPLATE}" page)
string(REPLACE "@USAGE@" "${usage}" page "${page}")
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
string(REGEX REPLACE "\\.gz$" "" plain "${OUTPUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${plain} failed")
endif()
