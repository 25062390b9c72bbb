# Include roots that make the build enforce the layering. A library's headers are reachable only
# through an include root of its own in the build tree, which links to exactly the folders or files
# the library exposes; a target that does not link the library finds none of them. Include paths stay
# rooted at the project ("engine/Engine.h").
#
#   tarnwick_expose(TARGET PATH...)   PATH: a folder or a header, relative to the project root
function(tarnwick_expose target)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${path})
      message(FATAL_ERROR "tarnwick_expose(${target}): ${path} does not exist")
    endif()
    set(link ${root}/${path})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT IS_SYMLINK ${link})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${link} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
