# Lists the module's exported symbols and fails on anything but the plugin's interface:
# the seven plugin functions under their plain names and the two classes with their
# members, vtables and typeinfo. On Windows it also fails on any imported DLL that the
# system does not provide.
#   cmake -DNM=<nm> -DMODULE=<quorvel.so> -P checkModuleSymbols.cmake
#   cmake -DOBJDUMP=<objdump> -DCXXFILT=<c++filt> -DMODULE=<quorvel.dll> -P checkModuleSymbols.cmake
cmake_minimum_required(VERSION 3.25)

set(functions createPlugin getAuthor getGUIScript getHelpFile getPluginDescription
    getPluginName getPluginVersion)
set(required ${functions}
    "MNZRPluginInterface::MNZRPluginInterface()"
    "MNZRPluginInterface::MNZRPluginInterface(MNZRPluginInterface const&)"
    "MNZRPluginInterface::operator=(MNZRPluginInterface const&)"
    "MNZRPluginInterface::~MNZRPluginInterface()"
    "Quorvel::Quorvel()"
    "Quorvel::~Quorvel()"
    "Quorvel::execute()"
    "Quorvel::initPlugin()"
    "vtable for MNZRPluginInterface"
    "vtable for Quorvel")
# The DLLs that every 64-bit Windows has; the C and C++ runtimes of the compiler are inside.
set(systemLibraries kernel32.dll msvcrt.dll)

set(symbols)
set(unexpected)
if(DEFINED OBJDUMP)
  # The deleting destructor that takes the place of the virtual one in Microsoft's layout.
  list(APPEND required "MNZRPluginInterface::deletingDestructor(unsigned int)"
                       "Quorvel::deletingDestructor(unsigned int)")
  execute_process(COMMAND ${OBJDUMP} -p ${MODULE}
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${MODULE}: ${errors}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  set(inNameTable FALSE)
  set(names)
  foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(inNameTable TRUE)
    elseif(inNameTable AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
      list(APPEND names "${CMAKE_MATCH_1}")
    elseif(inNameTable)
      set(inNameTable FALSE)
    elseif(line MATCHES "DLL Name: (.+)$")
      string(TOLOWER "${CMAKE_MATCH_1}" library)
      if(NOT library IN_LIST systemLibraries)
        list(APPEND unexpected "imports ${CMAKE_MATCH_1}")
      endif()
    endif()
  endforeach()
  foreach(name IN LISTS names)
    # GCC's own deleting destructor would mean a second destructor slot in the table.
    if(name MATCHES "D0Ev$")
      list(APPEND unexpected "${name} (a virtual destructor in GCC's layout)")
    endif()
  endforeach()
  if(names)
    # c++filt prints one line per name, demangled where it is a C++ name.
    execute_process(COMMAND ${CXXFILT} ${names} OUTPUT_VARIABLE demangled RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${CXXFILT} failed")
    endif()
    string(STRIP "${demangled}" demangled)
    string(REPLACE "\n" ";" symbols "${demangled}")
  endif()
else()
  execute_process(COMMAND ${NM} -D --defined-only -C ${MODULE}
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${MODULE}: ${errors}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
      list(APPEND unexpected "${line}")
      continue()
    endif()
    list(APPEND symbols "${CMAKE_MATCH_1}")
  endforeach()
endif()

foreach(symbol IN LISTS symbols)
  if(symbol IN_LIST functions
     OR symbol MATCHES "^(MNZRPluginInterface|Quorvel)::"
     OR symbol MATCHES "^(vtable|typeinfo|typeinfo name) for (MNZRPluginInterface|Quorvel)$")
    continue()
  endif()
  list(APPEND unexpected "${symbol}")
endforeach()

set(missing)
foreach(symbol IN LISTS required)
  if(NOT symbol IN_LIST symbols)
    list(APPEND missing "${symbol}")
  endif()
endforeach()

if(unexpected OR missing)
  list(JOIN unexpected "\n  " unexpectedText)
  list(JOIN missing "\n  " missingText)
  message(FATAL_ERROR "module exports do not match\nunexpected:\n  ${unexpectedText}\nmissing:\n  ${missingText}")
endif()
list(LENGTH symbols count)
message(STATUS "module exports: ${count} symbols, all expected")
