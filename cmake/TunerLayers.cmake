# The program is built from one library per folder, and the links between the libraries are its
# layers. Two nets keep a file from reaching past them:
# - the compiler: a library's headers are seen only by the library and those that link it, each
#   library's include path holding nothing but links to its own headers (build/include/<name>/),
#   at their paths from the project root;
# - a check of every include, "..." and <...>, run by the build before a library, program or test
#   is compiled whenever one of its files has changed: a file may include only its own target's
#   files and those of the libraries it links, directly or through them.

set_property(GLOBAL PROPERTY TUNER_TARGETS "")
set(TUNER_INCLUDE_ROOT ${PROJECT_BINARY_DIR}/include)
file(REMOVE_RECURSE ${TUNER_INCLUDE_ROOT}) # headers since removed or moved leave no link behind

# Records a target's files (relative to the project root) and links for the include check.
function(tuner_register name sources links)
  set(files "")
  foreach(source ${sources})
    if(IS_ABSOLUTE ${source})
      file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${source})
    else()
      file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    list(APPEND files ${path})
  endforeach()
  set_target_properties(${name} PROPERTIES TUNER_FILES "${files}" TUNER_LINKS "${links}")
  set_property(GLOBAL APPEND PROPERTY TUNER_TARGETS ${name})
endfunction()

# tuner_library(<name> [EXCLUDE_FROM_ALL] SOURCES <files of the current folder> [LINKS <targets>])
function(tuner_library name)
  cmake_parse_arguments(ARG "EXCLUDE_FROM_ALL" "" "SOURCES;LINKS" ${ARGN})
  set(exclude "")
  if(ARG_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  add_library(${name} STATIC ${exclude} ${ARG_SOURCES})
  set(facade ${TUNER_INCLUDE_ROOT}/${name})
  foreach(source ${ARG_SOURCES})
    if(source MATCHES "\\.h$")
      file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${source})
      get_filename_component(folder ${facade}/${path} DIRECTORY)
      file(MAKE_DIRECTORY ${folder})
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${facade}/${path} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC ${facade})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  tuner_register(${name} "${ARG_SOURCES}" "${ARG_LINKS}")
endfunction()

# tuner_executable(<name> [EXCLUDE_FROM_ALL] SOURCES <files> [LINKS <targets>])
function(tuner_executable name)
  cmake_parse_arguments(ARG "EXCLUDE_FROM_ALL" "" "SOURCES;LINKS" ${ARGN})
  set(exclude "")
  if(ARG_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  add_executable(${name} ${exclude} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
  tuner_register(${name} "${ARG_SOURCES}" "${ARG_LINKS}")
endfunction()

# The files a target may include: its own and those of every library below it.
function(tuner_reachable_files name out)
  set(result "")
  set(pending ${name})
  set(seen "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(files ${current} TUNER_FILES)
    get_target_property(links ${current} TUNER_LINKS)
    if(files)
      list(APPEND result ${files})
    endif()
    if(links)
      list(APPEND pending ${links})
    endif()
  endwhile()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Called once every target is declared: gives each target its include check.
function(tuner_check_layers)
  get_property(targets GLOBAL PROPERTY TUNER_TARGETS)
  set(known "")
  foreach(target ${targets})
    get_target_property(files ${target} TUNER_FILES)
    list(APPEND known ${files})
  endforeach()
  set(folder ${PROJECT_BINARY_DIR}/layers)
  foreach(target ${targets})
    get_target_property(own ${target} TUNER_FILES)
    tuner_reachable_files(${target} reachable)
    set(own_sources "")
    foreach(file ${own})
      if(EXISTS ${PROJECT_SOURCE_DIR}/${file})
        list(APPEND own_sources ${PROJECT_SOURCE_DIR}/${file})
      endif()
    endforeach()
    if(NOT own_sources)
      continue()
    endif()
    file(WRITE ${folder}/${target}.cmake.new
         "set(TARGET \"${target}\")\nset(OWN \"${own}\")\nset(REACHABLE \"${reachable}\")\n"
         "set(KNOWN \"${known}\")\n")
    file(COPY_FILE ${folder}/${target}.cmake.new ${folder}/${target}.cmake ONLY_IF_DIFFERENT)
    add_custom_command(
      OUTPUT ${folder}/${target}.checked
      COMMAND ${CMAKE_COMMAND} -DLAYERS=${folder}/${target}.cmake -DSOURCE=${PROJECT_SOURCE_DIR}
              -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
      COMMAND ${CMAKE_COMMAND} -E touch ${folder}/${target}.checked
      DEPENDS ${own_sources} ${folder}/${target}.cmake ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
      COMMENT "Checking the includes of ${target}"
      VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${folder}/${target}.checked)
    add_dependencies(${target} ${target}_includes)
  endforeach()
endfunction()
