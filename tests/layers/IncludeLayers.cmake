# Reads every #include "folder/..." line under SRC and fails when a folder
# includes one that is not below it. Run as: cmake -DSRC=<dir> -P IncludeLayers.cmake
#
#   model                                  the data: recording, records, tags
#   formats, analysis, acquisition         each on model only
#   reports                                on formats and analysis
#   document                               the Document and the open sequence
#   cli | app, viewer, dialogs, audio      the programs
#
# Folders of one rank stay apart, except the window's folders, which form one
# program and may use each other.
if(NOT SRC)
  message(FATAL_ERROR "IncludeLayers: pass -DSRC=<source folder>")
endif()
cmake_minimum_required(VERSION 3.25)
get_filename_component(SRC "${SRC}" ABSOLUTE)

set(rank_model 0)
set(rank_formats 1)
set(rank_analysis 1)
set(rank_reports 2)
set(rank_document 3)
set(rank_cli 4)
set(rank_app 4)
set(rank_viewer 4)
set(rank_dialogs 4)
set(rank_acquisition 1)
set(rank_audio 4)
set(window_folders app viewer dialogs audio)

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.cpp)
if(NOT files)
  message(FATAL_ERROR "IncludeLayers: no source files under ${SRC}")
endif()
set(faults "")
set(arrows 0)
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" from "${file}")
  if(NOT DEFINED rank_${from})
    string(APPEND faults "\n  ${file}: folder '${from}' has no place in the layer order")
    continue()
  endif()
  file(STRINGS ${SRC}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" to "${line}")
    math(EXPR arrows "${arrows} + 1")
    if(to STREQUAL from)
      continue()
    endif()
    if(NOT DEFINED rank_${to})
      string(APPEND faults "\n  ${file}: includes '${to}/', which is no folder of the layer order")
      continue()
    endif()
    if(rank_${to} LESS rank_${from})
      continue()
    endif()
    if(from IN_LIST window_folders AND to IN_LIST window_folders)
      continue()
    endif()
    string(APPEND faults "\n  ${file}: ${from} -> ${to} (${line})")
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that point up or sideways:${faults}")
endif()
list(LENGTH files count)
message(STATUS "IncludeLayers: ${count} files, ${arrows} folder includes, all downward")
