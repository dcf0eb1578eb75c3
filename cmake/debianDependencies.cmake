# Run by CPack before it makes a package (CPACK_PROJECT_CONFIG_FILE): for the Debian package,
# the dependencies of morvane and the module as dpkg-shlibdeps finds them.
#
# CPack's own CPACK_DEBIAN_PACKAGE_SHLIBDEPS would do the same, but it also takes the module
# in /usr/lib/quorvel for a shared library and adds maintainer scripts that run ldconfig;
# their postrm would keep the package known to dpkg after `dpkg -r`.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

find_program(quorvel_dpkg_shlibdeps dpkg-shlibdeps)
if(NOT quorvel_dpkg_shlibdeps)
  message(FATAL_ERROR "dpkg-shlibdeps, which finds the package's dependencies, is not installed (Debian: dpkg-dev)")
endif()
file(STRINGS "${CPACK_QUORVEL_PACKAGED_BINARIES}" quorvel_binaries)
# dpkg-shlibdeps reads the package's name from a debian/control in its working folder.
set(quorvel_work "${CPACK_QUORVEL_SHLIBDEPS_FOLDER}")
file(MAKE_DIRECTORY "${quorvel_work}/debian")
file(WRITE "${quorvel_work}/debian/control" "Source: quorvel\n\nPackage: quorvel\nArchitecture: any\n")
execute_process(COMMAND "${quorvel_dpkg_shlibdeps}" -O ${quorvel_binaries}
                WORKING_DIRECTORY "${quorvel_work}"
                OUTPUT_VARIABLE quorvel_substitutions ERROR_VARIABLE quorvel_errors
                RESULT_VARIABLE quorvel_status)
if(NOT quorvel_status EQUAL 0 OR NOT quorvel_substitutions MATCHES "shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps failed on ${quorvel_binaries}: ${quorvel_errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
message(STATUS "quorvel depends on: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
