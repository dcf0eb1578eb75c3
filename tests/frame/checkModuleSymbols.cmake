# Lists the module's dynamic symbols and fails on anything but the plugin's interface:
# the seven plugin functions and the two classes with their vtables and typeinfo.
#   cmake -DNM=<nm> -DMODULE=<quorvel.so> -P checkModuleSymbols.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NM} -D --defined-only -C ${MODULE}
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}: ${errors}")
endif()

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

string(REPLACE "\n" ";" lines "${listing}")
set(found)
set(unexpected)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
    list(APPEND unexpected "${line}")
    continue()
  endif()
  set(symbol "${CMAKE_MATCH_1}")
  list(APPEND found "${symbol}")
  if(symbol IN_LIST functions
     OR symbol MATCHES "^(MNZRPluginInterface|Quorvel)::"
     OR symbol MATCHES "^(vtable|typeinfo|typeinfo name) for (MNZRPluginInterface|Quorvel)$")
    continue()
  endif()
  list(APPEND unexpected "${symbol}")
endforeach()

set(missing)
foreach(symbol IN LISTS required)
  if(NOT symbol IN_LIST found)
    list(APPEND missing "${symbol}")
  endif()
endforeach()

if(unexpected OR missing)
  list(JOIN unexpected "\n  " unexpectedText)
  list(JOIN missing "\n  " missingText)
  message(FATAL_ERROR "module exports do not match\nunexpected:\n  ${unexpectedText}\nmissing:\n  ${missingText}")
endif()
list(LENGTH found count)
message(STATUS "module exports: ${count} symbols, all expected")
