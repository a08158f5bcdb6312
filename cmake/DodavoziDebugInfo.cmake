# dodavozi_keep_debug_beside(<target>)
# What lands in bin/ ships without its debug information: after the link the
# DWARF sections go to <file>.debug beside it, and the file keeps only a
# .gnu_debuglink naming that file (and its checksum), so a debugger still
# reads a crash of the stripped file. Every executable and DLL whose output
# is bin/ takes this step; dodavozi_check_debug_beside() fails the configure
# for one that does not.
function(dodavozi_keep_debug_beside target)
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
  set_property(TARGET ${target} PROPERTY DODAVOZI_DEBUG_BESIDE ON)
endfunction()

function(_dodavozi_unsplit_targets dir out)
  set(missing)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "EXECUTABLE" AND NOT type STREQUAL "SHARED_LIBRARY")
      continue()
    endif()
    get_target_property(output ${target} RUNTIME_OUTPUT_DIRECTORY)
    get_target_property(split ${target} DODAVOZI_DEBUG_BESIDE)
    if(output STREQUAL DODAVOZI_BIN_DIR AND NOT split)
      list(APPEND missing ${target})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _dodavozi_unsplit_targets(${sub} sub_missing)
    list(APPEND missing ${sub_missing})
  endforeach()
  set(${out} ${missing} PARENT_SCOPE)
endfunction()

function(dodavozi_check_debug_beside)
  _dodavozi_unsplit_targets(${CMAKE_SOURCE_DIR} missing)
  if(missing)
    message(FATAL_ERROR "These land in bin/ without dodavozi_keep_debug_beside: ${missing}")
  endif()
endfunction()
