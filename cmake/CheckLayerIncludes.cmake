# Fails when a file of a layer's folder includes a file of the source tree outside that
# folder: what a layer uses must lie in the layer itself (or outside the project).
#   cmake -DSOURCE_DIR=<source tree> -DLAYER=<folder> -P CheckLayerIncludes.cmake
# An include is looked up as the compiler looks up a quoted one: beside the including
# file first, then from the top of the source tree (the project's include directory).
file(GLOB_RECURSE layer_files ${SOURCE_DIR}/${LAYER}/*.h ${SOURCE_DIR}/${LAYER}/*.cpp)
set(offending "")
foreach(file IN LISTS layer_files)
  get_filename_component(folder ${file} DIRECTORY)
  file(STRINGS ${file} include_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS include_lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" name "${line}")
    foreach(base ${folder} ${SOURCE_DIR})
      get_filename_component(found "${base}/${name}" ABSOLUTE)
      if(EXISTS ${found} AND NOT IS_DIRECTORY ${found})
        file(RELATIVE_PATH inside ${SOURCE_DIR} ${found})
        if(NOT inside MATCHES "^${LAYER}/")
          file(RELATIVE_PATH where ${SOURCE_DIR} ${file})
          list(APPEND offending "  ${where} includes ${inside}")
        endif()
        break()
      endif()
    endforeach()
  endforeach()
endforeach()
if(offending)
  list(JOIN offending "\n" offending)
  message(FATAL_ERROR "${LAYER}/ must not depend on the program, but:\n${offending}")
endif()
