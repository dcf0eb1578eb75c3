# The two files every Debian package carries in its documentation folder, made from the
# project's own: the licence as a machine-readable copyright file, and for this version a
# changelog entry dated as in CHANGELOG.md (a native package names its changelog
# changelog.gz).

set(quorvel_debian_dir ${CMAKE_BINARY_DIR}/debian)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE quorvel_licence_lines)
set(quorvel_copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")
string(APPEND quorvel_copyright "Upstream-Name: quorvel\nUpstream-Contact: ${CPACK_PACKAGE_CONTACT}\n\n")
string(APPEND quorvel_copyright "Files: *\n")
set(quorvel_licence_body "")
set(quorvel_in_body FALSE)
foreach(line IN LISTS quorvel_licence_lines)
  if(line MATCHES "^Copyright \\(c\\) (.*)$")
    string(REPLACE "," "" quorvel_holder "${CMAKE_MATCH_1}")
    string(APPEND quorvel_copyright "Copyright: ${quorvel_holder}\nLicense: BSD-3-Clause\n")
    set(quorvel_in_body TRUE)
  elseif(quorvel_in_body)
    if(line STREQUAL "")
      string(APPEND quorvel_licence_body " .\n")
    else()
      string(APPEND quorvel_licence_body " ${line}\n")
    endif()
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" quorvel_licence_body "${quorvel_licence_body}")
string(APPEND quorvel_copyright "${quorvel_licence_body}")
file(CONFIGURE OUTPUT ${quorvel_debian_dir}/copyright CONTENT "${quorvel_copyright}")

file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md quorvel_release_line
     REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9]+-[0-9]+-[0-9]+")
if(quorvel_release_line MATCHES "([0-9]+-[0-9]+-[0-9]+)$")
  set(quorvel_release_date ${CMAKE_MATCH_1})
else()
  message(WARNING "CHANGELOG.md has no dated entry for ${PROJECT_VERSION}; the Debian changelog gets today's date")
  string(TIMESTAMP quorvel_release_date "%Y-%m-%d" UTC)
endif()
execute_process(COMMAND date -u -R -d "${quorvel_release_date} 12:00:00"
                OUTPUT_VARIABLE quorvel_release_time OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
file(CONFIGURE OUTPUT ${quorvel_debian_dir}/changelog CONTENT
"quorvel (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}; what changed is in CHANGELOG.md in this folder.

 -- ${CPACK_PACKAGE_CONTACT}  ${quorvel_release_time}
")
add_custom_command(OUTPUT ${quorvel_debian_dir}/changelog.gz
  COMMAND gzip -9nf -k ${quorvel_debian_dir}/changelog
  DEPENDS ${quorvel_debian_dir}/changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  VERBATIM)
add_custom_target(quorvel_debian_documents ALL DEPENDS ${quorvel_debian_dir}/changelog.gz)
install(FILES ${quorvel_debian_dir}/copyright ${quorvel_debian_dir}/changelog.gz
        DESTINATION ${QUORVEL_INSTALL_DOCDIR})
