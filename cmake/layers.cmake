# The layers of the libraries, held for headers as for linking.
#
# Every library folder (src/link, sim, ...) gets an include root of its own in the build
# tree that holds nothing but a link named after the folder:
#   build/include/link/link -> src/link
# A target that links the library sees "link/device_link.h" through that root; a target
# that does not link it has no path to its headers at all. The include spelling stays the
# folder's name, as everywhere in the code.

set(TALLOWICK_INCLUDE_ROOTS ${PROJECT_BINARY_DIR}/include)

# Gives `target` the include root of the folder it is defined in, as its public include
# path, and records the folder for the layer check.
function(tallowick_public_headers target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${TALLOWICK_INCLUDE_ROOTS}/${folder})
  set(link ${root}/${folder})
  if(IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} points_to)
    if(NOT points_to STREQUAL CMAKE_CURRENT_SOURCE_DIR)
      file(REMOVE ${link})
    endif()
  endif()
  if(NOT EXISTS ${link})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${link} SYMBOLIC RESULT failed)
    if(failed)
      # A file system without symbolic links: the parent folder serves as the root, so the
      # build works, and the layer check still catches a header taken from a library
      # that is not linked.
      message(STATUS "${folder}: no symbolic link possible (${failed}); using its parent folder")
      set(root ${CMAKE_CURRENT_SOURCE_DIR}/..)
    endif()
  endif()
  target_include_directories(${target} PUBLIC ${root})
  set_property(GLOBAL APPEND PROPERTY TALLOWICK_LAYER_LIBRARIES ${target})
  set_property(TARGET ${target} PROPERTY TALLOWICK_LAYER_FOLDER ${folder})
endfunction()

# The libraries of the project that `items` (link items of a target) name, without the
# link-only ones: a library linked PRIVATE by a static library shows in its interface as
# $<LINK_ONLY:...>, which gives the users its objects but none of its headers.
function(_tallowick_layer_targets out)
  set(found)
  foreach(item IN LISTS ARGN)
    if(item MATCHES "^\\$<LINK_ONLY:" OR item MATCHES "^::@")
      continue()
    endif()
    if(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
      if(NOT imported)
        list(APPEND found ${item})
      endif()
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The folders whose headers the given libraries offer, with those of every library they
# pass on publicly.
function(_tallowick_visible_folders out)
  set(pending ${ARGN})
  set(seen)
  set(folders)
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(folder ${current} TALLOWICK_LAYER_FOLDER)
    if(folder)
      list(APPEND folders ${folder})
    endif()
    get_target_property(public ${current} INTERFACE_LINK_LIBRARIES)
    if(public)
      _tallowick_layer_targets(next ${public})
      list(APPEND pending ${next})
    endif()
  endwhile()
  list(REMOVE_DUPLICATES folders)
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

function(_tallowick_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _tallowick_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Writes what the layer check reads: for every target its own sources and the folders it
# may include from (its own and those of what it links), and for every library folder the
# folders its headers may include from (what its libraries pass on publicly). Called once
# every target is defined.
function(tallowick_write_layer_map file)
  set(map "# Written by CMake for the layer check.\n")
  string(APPEND map "set(LAYER_SOURCE_ROOT \"${PROJECT_SOURCE_DIR}\")\n")
  get_property(libraries GLOBAL PROPERTY TALLOWICK_LAYER_LIBRARIES)
  set(folders)
  foreach(library IN LISTS libraries)
    get_target_property(folder ${library} TALLOWICK_LAYER_FOLDER)
    get_target_property(dir ${library} SOURCE_DIR)
    list(APPEND folders ${folder})
    string(APPEND map "set(LAYER_DIR_${folder} \"${dir}\")\n")
    list(APPEND users_${folder} ${library})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  string(APPEND map "set(LAYER_FOLDERS ${folders})\n")

  # A header is compiled wherever it is included, so it may use only what its library
  # passes on.
  foreach(folder IN LISTS folders)
    _tallowick_visible_folders(visible ${users_${folder}})
    list(JOIN users_${folder} " and " owners)
    string(APPEND map "list(APPEND LAYER_UNITS headers_${folder})\n"
                      "set(LAYER_headers_${folder}_OWNER \"${owners}\")\n"
                      "set(LAYER_headers_${folder}_GLOB \"\${LAYER_DIR_${folder}}\")\n"
                      "set(LAYER_headers_${folder}_ALLOWED ${visible})\n")
  endforeach()

  _tallowick_targets_below(${PROJECT_SOURCE_DIR} targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(files)
    foreach(source IN LISTS sources)
      if(NOT source MATCHES "\\.(cpp|h)$" OR source MATCHES "\\$<")
        continue()
      endif()
      if(NOT IS_ABSOLUTE ${source})
        set(source ${dir}/${source})
      endif()
      if(EXISTS ${source})
        list(APPEND files ${source})
      endif()
    endforeach()
    if(NOT files)
      continue()
    endif()
    get_target_property(direct ${target} LINK_LIBRARIES)
    set(linked ${target})
    if(direct)
      _tallowick_layer_targets(more ${direct})
      list(APPEND linked ${more})
    endif()
    _tallowick_visible_folders(visible ${linked})
    string(MAKE_C_IDENTIFIER ${target} unit)
    string(APPEND map "list(APPEND LAYER_UNITS ${unit})\n"
                      "set(LAYER_${unit}_OWNER ${target})\n"
                      "set(LAYER_${unit}_FILES \"${files}\")\n"
                      "set(LAYER_${unit}_ALLOWED ${visible})\n")
  endforeach()
  file(WRITE ${file} "${map}")
endfunction()
