# Checks that every folder includes only what its layer may (the table in
# docs/architecture.md): run by the build as
#   cmake -DROOT=<source root> -P tools/check-layers.cmake
# and failing it, with every offending include, on any breach.

cmake_minimum_required(VERSION 3.16)

# Folder of the including file (the longest that holds it counts) | folders
# it may include | "pure" where SDL, GL and X must stay out. A quoted include
# is looked for beside the file, then from the root, then from tests/; what
# is in none of them is written by the build (the version header).
set(layers
  "model|model|pure"
  "puzzle|puzzle model|pure"
  "search|search model|pure"
  "search/memory|search/memory|pure"
  "search/core|search/core search/memory model|pure"
  "search/layered|search/layered search/core search/memory model|pure"
  "input|input|"
  "render|render model|"
  "platform|platform|"
  "app|app model puzzle search input render platform|"
  "app/core|app/core model puzzle search|pure"
  "solve|solve model puzzle search|pure"
  "tools|tools model puzzle search tests/oracle|"
  "tests|tests model puzzle search input render platform app solve|"
  "tests/model|tests/model model|pure"
  "tests/puzzle|tests/puzzle tests/model puzzle model|pure"
  "tests/support|tests/support|pure"
  "tests/search|tests/search tests/model tests/oracle tests/support search model|pure"
  "tests/oracle|tests/oracle search model|pure"
  "tests/app/core|tests/app/core tests/model tests/support app/core search model|pure")

file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/model/*.h ${ROOT}/model/*.cpp ${ROOT}/puzzle/*.h ${ROOT}/puzzle/*.cpp
  ${ROOT}/search/*.h ${ROOT}/search/*.cpp ${ROOT}/input/*.h ${ROOT}/input/*.cpp
  ${ROOT}/render/*.h ${ROOT}/render/*.cpp ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp
  ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/solve/*.h ${ROOT}/solve/*.cpp
  ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp)

# The row of `folder`: sets `allowed` (a list) and `pure`; `matched` stays
# empty for a folder of no row.
macro(findLayer folder)
  set(allowed "")
  set(pure "")
  set(matched "")
  foreach(entry ${layers})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 layer)
    list(GET parts 1 mayInclude)
    list(LENGTH parts fields)
    set(layerPure "")
    if(fields GREATER 2)
      list(GET parts 2 layerPure)
    endif()
    string(LENGTH "${layer}" length)
    string(LENGTH "${matched}" matchedLength)
    if((${folder} STREQUAL layer OR ${folder} MATCHES "^${layer}/") AND length GREATER matchedLength)
      set(matched ${layer})
      set(pure "${layerPure}")
      string(REPLACE " " ";" allowed "${mayInclude}")
    endif()
  endforeach()
endmacro()

set(breaches "")
foreach(source ${sources})
  get_filename_component(folder ${source} DIRECTORY)
  findLayer(folder)
  if(matched STREQUAL "")
    string(APPEND breaches "  ${source}: a folder without a row in tools/check-layers.cmake\n")
    continue()
  endif()
  file(STRINGS ${ROOT}/${source} includes REGEX "^#include ")
  foreach(line ${includes})
    if(line MATCHES "^#include <(SDL|GL/|X11/)")
      if("${pure}" STREQUAL "pure")
        string(APPEND breaches "  ${source}: ${line}\n")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "^#include \"([^\"]+)\"")
      continue()
    endif()
    set(included ${CMAKE_MATCH_1})
    if(EXISTS ${ROOT}/${folder}/${included})
      set(included ${folder}/${included})
    elseif(EXISTS ${ROOT}/tests/${included} AND NOT EXISTS ${ROOT}/${included})
      set(included tests/${included})
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
