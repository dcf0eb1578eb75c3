# Packages, made by CPack from the install rules (scripts/package.sh runs it):
#   Linux:   quorvel_VERSION_amd64.deb, its dependencies found by dpkg-shlibdeps
#            (debianDependencies.cmake);
#   Windows: quorvel-VERSION-windows-x64.zip, from the MinGW-w64 cross build.

set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "the quorvel developers")
set(CPACK_PACKAGE_CONTACT "the quorvel developers <quorvel@users.noreply.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "design matrices with confounds for the Morvane MRI host, and a headless host")
# Lines of at most 72 characters, as Debian wants them.
set(CPACK_PACKAGE_DESCRIPTION [[
quorvel is a plugin module for Morvane, a desktop application for the
analysis of functional and anatomical MRI data. From a plain-text list
of stimulation protocols (PRT), functional time courses (VTC) and
confound files it has the host build one design matrix (SDM) per
protocol and time course, and writes a second one beside it that adds
the motion, heart-rate and respiration confounds, optionally
z-transformed.

This package holds the module for Linux and morvane, a headless stand-in
for the host that runs the plugin on a file list from the command line,
with an example study and commands that run whole studies on all cores
(GNU parallel) or on a SLURM cluster.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quorvel-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Dependencies from dpkg-shlibdeps, run by debianDependencies.cmake.
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/debianDependencies.cmake)
  set(CPACK_QUORVEL_PACKAGED_BINARIES ${CMAKE_BINARY_DIR}/debian/packaged-binaries.txt)
  set(CPACK_QUORVEL_SHLIBDEPS_FOLDER ${CMAKE_BINARY_DIR}/debian/shlibdeps)
  if(TARGET morvane)
    file(GENERATE OUTPUT ${CPACK_QUORVEL_PACKAGED_BINARIES}
         CONTENT "$<TARGET_FILE:morvane>\n$<TARGET_FILE:quorvel>\n")
  else()
    file(GENERATE OUTPUT ${CPACK_QUORVEL_PACKAGED_BINARIES} CONTENT "$<TARGET_FILE:quorvel>\n")
  endif()
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "parallel")
  include(${CMAKE_CURRENT_LIST_DIR}/debianDocuments.cmake)
endif()

include(CPack)
