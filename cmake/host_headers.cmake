# Header-only libraries for a cross build. CLI11 and nlohmann/json come from
# the build machine's /usr/include, which must never be an include directory
# of the mingw compiler (glibc's headers there would shadow mingw's). Only the
# library's own folder is copied into the build tree, and an imported target
# of the name its package would give points there.
#   rq30_host_headers(CLI11::CLI11 CLI)
function(rq30_host_headers target folder)
  if(TARGET ${target})
    return()
  endif()
  string(MAKE_C_IDENTIFIER "${folder}" id)
  find_path(RQ30_HOST_${id}_DIR NAMES ${folder} PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT RQ30_HOST_${id}_DIR)
    message(FATAL_ERROR "${folder}/ headers not found in /usr/include (install ${target}'s package)")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/host-headers)
  file(COPY ${RQ30_HOST_${id}_DIR}/${folder} DESTINATION ${dir})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dir})
endfunction()
