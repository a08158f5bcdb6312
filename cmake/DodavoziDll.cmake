# dodavozi_add_dll(<name> DEF <file.def> SOURCES <files>... [LIBS <targets>...]
#                  [OUTPUT_DIR <dir>] [OUTPUT_NAME <file name>] [SUFFIX <.ext>]
#                  [DECORATED_IMPORTS])
# A DLL named <name>.dll (or <OUTPUT_NAME><SUFFIX>, e.g. a control's .ocx)
# whose exports come from its .def file, the one recipe for every DLL of the
# tree. The exports keep the .def's names: --kill-at
# drops the "@n" of __stdcall symbols from the export table, and
# --enable-stdcall-fixup binds a .def name written without "@n" to its
# decorated symbol without a warning.
# DECORATED_IMPORTS: the .def lists the decorated 32-bit names, and callers
# compile against them: on 32-bit the import library is remade from the .def
# after the link; 64-bit has no decoration, so a copy without "@n" is used.
function(dodavozi_add_dll name)
  cmake_parse_arguments(D "DECORATED_IMPORTS" "DEF;OUTPUT_DIR;OUTPUT_NAME;SUFFIX" "SOURCES;LIBS" ${ARGN})
  set(def ${CMAKE_CURRENT_SOURCE_DIR}/${D_DEF})
  if(D_DECORATED_IMPORTS AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(READ ${def} text)
    string(REGEX REPLACE "@[0-9]+ " " " text "${text}")
    # Rewritten only when it changes: a new date would relink the DLL and
    # everything linking it at every configure.
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${D_DEF}.new "${text}")
    configure_file(${CMAKE_CURRENT_BINARY_DIR}/${D_DEF}.new ${CMAKE_CURRENT_BINARY_DIR}/${D_DEF} COPYONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${D_DEF})
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${D_DEF})
  endif()
  add_library(${name} SHARED ${D_SOURCES} ${def})
  if(NOT D_OUTPUT_NAME)
    set(D_OUTPUT_NAME ${name})
  endif()
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${D_OUTPUT_NAME})
  if(D_SUFFIX)
    set_target_properties(${name} PROPERTIES SUFFIX ${D_SUFFIX})
  endif()
  if(D_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${D_OUTPUT_DIR})
  endif()
  if(NOT D_OUTPUT_DIR OR D_OUTPUT_DIR STREQUAL DODAVOZI_BIN_DIR)
    dodavozi_keep_debug_beside(${name})
  endif()
  target_link_libraries(${name} PRIVATE ${D_LIBS})
  target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  if(D_DECORATED_IMPORTS AND NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_DLLTOOL} -k -d ${def} -D ${name}.dll -l $<TARGET_LINKER_FILE:${name}>
      COMMENT "Import library of ${name} with decorated symbols")
  endif()
endfunction()
