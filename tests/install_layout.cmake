# Installs the build in BUILD_DIR under PREFIX and checks that every file is where it belongs
# (BINDIR, MANDIR, DATADIR and DOCDIR as the build configured them; SUFFIX the programs' ending,
# ".exe" on Windows).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(installed
        "${BINDIR}/roma_pisa${SUFFIX}"
        "${BINDIR}/scenario${SUFFIX}"
        "${MANDIR}/man1/scenario.1"
        "${DATADIR}/bash-completion/completions/scenario"
        "${DOCDIR}/format.md")
  if(NOT EXISTS "${PREFIX}/${installed}")
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
