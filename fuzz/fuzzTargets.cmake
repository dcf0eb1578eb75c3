# The fuzz targets, each built from fuzz/<name>Fuzzer.cpp, with its corpus in
# fuzz/corpus/<name> and the inputs that once broke it in fuzz/crashes/<name>. Used by the
# libFuzzer build (fuzz/) and by the replay of the saved inputs in the normal build
# (tests/hardening).
set(quorvel_fuzz_targets
  fileList
  readMotionEstimatesRtc
  readMotionEstimatesSdm
  readConfoundsRtc
  readConfoundsSdm
  designMatrixWriter
  protocol
  vtcHeader
  commandLine
  sdmFile
  listAgreement
  tsvTable
  confoundModel
  reportFigures
  reportPage
  bidsImport
)

# The libraries whose code a target exercises: the plugin's core, the host's file formats, the
# headless host's, or the plugin's and the host's.
function(quorvel_fuzz_libraries name result)
  if(name MATCHES "^(vtcHeader|sdmFile|tsvTable)$")
    set(${result} quorvel_formats PARENT_SCOPE)
  elseif(name STREQUAL "commandLine")
    set(${result} morvane_commands PARENT_SCOPE)
  elseif(name STREQUAL "protocol")
    set(${result} morvane_core PARENT_SCOPE)
  elseif(name STREQUAL "confoundModel")
    set(${result} morvane_confoundmodels morvane_core PARENT_SCOPE)
  elseif(name STREQUAL "bidsImport")
    set(${result} morvane_bids quorvel_formats PARENT_SCOPE)
  elseif(name MATCHES "^(reportFigures|reportPage)$")
    set(${result} morvane_report PARENT_SCOPE)
  elseif(name STREQUAL "listAgreement")
    set(${result} quorvel_core morvane_core PARENT_SCOPE)
  else()
    set(${result} quorvel_core PARENT_SCOPE)
  endif()
endfunction()

# The targets whose libraries this build has all of (morvane's only with the headless host,
# the report's only where its own libraries are found).
function(quorvel_buildable_fuzz_targets result)
  set(buildable)
  foreach(name ${quorvel_fuzz_targets})
    quorvel_fuzz_libraries(${name} libraries)
    set(built TRUE)
    foreach(library ${libraries})
      if(NOT TARGET ${library})
        set(built FALSE)
      endif()
    endforeach()
    if(built)
      list(APPEND buildable ${name})
    endif()
  endforeach()
  set(${result} ${buildable} PARENT_SCOPE)
endfunction()
