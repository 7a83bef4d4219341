# Checks that every folder includes only what its layer may (the README's
# layout of the code): run by the build as
#   cmake -DROOT=<source root> -P tools/check-layers.cmake
# and failing it, with the offending include, on the first breach.

cmake_minimum_required(VERSION 3.16)

# Folder of the including file (longest first) -> folders it may include.
set(layers
  "search/memory|search/memory"
  "search/core|search/core search/memory model"
  "search/layered|search/layered search/core search/memory model"
  "search|search model"
  "model|model"
  "puzzle|puzzle model"
  "input|input"
  "render|render model"
  "platform|platform"
  "solve|solve model puzzle search")
# Folders that must not see SDL, GL or X.
set(pure model puzzle search solve)

file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/model/*.h ${ROOT}/model/*.cpp ${ROOT}/puzzle/*.h ${ROOT}/puzzle/*.cpp
  ${ROOT}/search/*.h ${ROOT}/search/*.cpp ${ROOT}/input/*.h ${ROOT}/input/*.cpp
  ${ROOT}/render/*.h ${ROOT}/render/*.cpp ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp
  ${ROOT}/solve/*.h ${ROOT}/solve/*.cpp)

set(breaches "")
foreach(source ${sources})
  get_filename_component(folder ${source} DIRECTORY)
  # The layer of the file: the longest folder of the table that holds it.
  set(allowed "")
  set(matched "")
  foreach(entry ${layers})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 layer)
    list(GET parts 1 mayInclude)
    string(LENGTH "${layer}" length)
    string(LENGTH "${matched}" matchedLength)
    if((folder STREQUAL layer OR folder MATCHES "^${layer}/") AND length GREATER matchedLength)
      set(matched ${layer})
      string(REPLACE " " ";" allowed "${mayInclude}")
    endif()
  endforeach()
  if(matched STREQUAL "")
    continue()
  endif()
  file(STRINGS ${ROOT}/${source} includes REGEX "^#include ")
  foreach(line ${includes})
    if(line MATCHES "^#include <(SDL|GL/|X11/)")
      string(REGEX MATCH "^[a-z]+" top "${matched}")
      if(top IN_LIST pure)
        string(APPEND breaches "  ${source}: ${line}\n")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "^#include \"([^\"]+)\"")
      continue()
    endif()
    set(included ${CMAKE_MATCH_1})
    # Beside the file first, then from the root; what is in neither is
    # written by the build (the version header).
    if(EXISTS ${ROOT}/${folder}/${included})
      set(included ${folder}/${included})
    elseif(NOT EXISTS ${ROOT}/${included})
      continue()
    endif()
    get_filename_component(includedFolder ${included} DIRECTORY)
    set(ok FALSE)
    foreach(layer ${allowed})
      if(includedFolder STREQUAL layer OR includedFolder MATCHES "^${layer}/")
        set(ok TRUE)
      endif()
    endforeach()
    if(NOT ok)
      string(APPEND breaches "  ${source}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(NOT breaches STREQUAL "")
  message(FATAL_ERROR "Includes that break the layers:\n${breaches}")
endif()
