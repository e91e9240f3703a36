# When cross-compiling, the header-only libraries of the build machine serve as they are. Their
# packages' targets would put the build machine's whole include folder (its C library among it)
# on the target's include path, so each library's own folder is linked into the build folder and
# that alone is given.
set(host_headers ${CMAKE_BINARY_DIR}/host_headers)
file(MAKE_DIRECTORY ${host_headers})

function(scenario_host_header_library target header folder)
  string(MAKE_C_IDENTIFIER "${folder}_root" root)
  find_path(${root} ${header} PATHS /usr/include /usr/local/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${root})
    message(FATAL_ERROR "${header} not found on the build machine (install its Debian package)")
  endif()
  if(NOT EXISTS ${host_headers}/${folder})
    file(CREATE_LINK ${${root}}/${folder} ${host_headers}/${folder} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE IMPORTED)
  target_include_directories(${target} SYSTEM INTERFACE ${host_headers})
endfunction()

scenario_host_header_library(nlohmann_json::nlohmann_json nlohmann/json.hpp nlohmann)
scenario_host_header_library(CLI11::CLI11 CLI/CLI.hpp CLI)
