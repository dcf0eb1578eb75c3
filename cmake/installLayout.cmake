# The release's version, in one place: the project's. morvane prints it, and the plugin's
# own texts (its name "quorvel (vX.Y.Z)" and version, as the host shows them) are made of it.
add_compile_definitions(QUORVEL_VERSION="${PROJECT_VERSION}")

# Where an installation puts each part, relative to the prefix, so that an installed tree can
# be moved or copied whole. Read before the programs are defined: morvane has the module's
# folder, relative to its own, compiled in.
include(GNUInstallDirs)

if(WIN32)
  # The Windows archive is one folder: the module beside morvane.exe, as in the host's
  # plugins folder, and the documents beside both.
  set(QUORVEL_INSTALL_BINDIR .)
  set(QUORVEL_INSTALL_PLUGINDIR .)
  set(QUORVEL_INSTALL_DOCDIR .)
  set(QUORVEL_INSTALL_EXAMPLESDIR examples)
else()
  set(QUORVEL_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  # A private folder, not the linker's: the module is loaded by path only.
  set(QUORVEL_INSTALL_PLUGINDIR lib/quorvel)
  set(QUORVEL_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorvel)
  set(QUORVEL_INSTALL_EXAMPLESDIR ${CMAKE_INSTALL_DATAROOTDIR}/quorvel/examples)
endif()

# The module's folder as seen from morvane's ("../lib/quorvel"; "." on Windows).
function(quorvel_relative_install_path variable from to)
  foreach(folder from to)
    if(NOT IS_ABSOLUTE "${${folder}}")
      set(${folder} "/prefix/${${folder}}")
    endif()
  endforeach()
  file(RELATIVE_PATH relative "${from}" "${to}")
  if(relative STREQUAL "")
    set(relative .)
  endif()
  set(${variable} "${relative}" PARENT_SCOPE)
endfunction()
quorvel_relative_install_path(QUORVEL_PLUGINDIR_FROM_BINDIR
  "${QUORVEL_INSTALL_BINDIR}" "${QUORVEL_INSTALL_PLUGINDIR}")
