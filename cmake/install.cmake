# What `cmake --install` puts where (the folders are in installLayout.cmake): morvane, the
# module, the manual page, the documents and the example study. Packaging follows.

if(TARGET morvane)
  install(TARGETS morvane RUNTIME DESTINATION ${QUORVEL_INSTALL_BINDIR})
endif()
install(TARGETS quorvel LIBRARY DESTINATION ${QUORVEL_INSTALL_PLUGINDIR}
                        RUNTIME DESTINATION ${QUORVEL_INSTALL_PLUGINDIR})

install(FILES README.md CHANGELOG.md DESTINATION ${QUORVEL_INSTALL_DOCDIR})
if(WIN32)
  # Notepad opens it with a double click.
  install(FILES LICENSE DESTINATION ${QUORVEL_INSTALL_DOCDIR} RENAME LICENSE.txt)
else()
  install(FILES LICENSE DESTINATION ${QUORVEL_INSTALL_DOCDIR})
endif()

install(DIRECTORY examples/study DESTINATION ${QUORVEL_INSTALL_EXAMPLESDIR})
if(NOT WIN32)
  # The commands for whole studies, on this machine's cores or on a cluster.
  install(DIRECTORY examples/parallel examples/cluster DESTINATION ${QUORVEL_INSTALL_EXAMPLESDIR}
          USE_SOURCE_PERMISSIONS)
endif()

# The manual page, made from morvane's own help by help2man (cmake/makeManPage.sh) whenever
# morvane changes. A build for another system cannot run morvane, and needs no page; nor does
# a sanitizer build, which is never installed.
if(TARGET morvane AND NOT CMAKE_CROSSCOMPILING AND NOT QUORVEL_SANITIZE)
  find_program(QUORVEL_HELP2MAN help2man)
  if(QUORVEL_HELP2MAN)
    set(quorvel_man_page ${CMAKE_BINARY_DIR}/man/morvane.1)
    add_custom_command(OUTPUT ${quorvel_man_page} ${quorvel_man_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${PROJECT_SOURCE_DIR}/cmake/makeManPage.sh $<TARGET_FILE:morvane> ${quorvel_man_page}
      COMMAND gzip -9nf -k ${quorvel_man_page}
      DEPENDS morvane quorvel ${PROJECT_SOURCE_DIR}/cmake/makeManPage.sh
      COMMENT "Writing the manual page of morvane from its help"
      VERBATIM)
    add_custom_target(morvane_man_page ALL DEPENDS ${quorvel_man_page} ${quorvel_man_page}.gz)
    install(FILES ${quorvel_man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    if(QUORVEL_BUILD_TESTS)
      add_test(NAME packaging.manPageCoversHelp
        COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/manPageTest.sh $<TARGET_FILE:morvane> ${quorvel_man_page})
      set_tests_properties(packaging.manPageCoversHelp PROPERTIES SKIP_RETURN_CODE 77)
    endif()
  elseif("$ENV{QUORVEL_REQUIRE_TOOLS}")
    message(FATAL_ERROR "help2man, which writes morvane's manual page, is not installed (Debian: help2man)")
  else()
    message(STATUS "help2man not found (Debian: help2man): morvane's manual page is not made")
  endif()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/packaging.cmake)
