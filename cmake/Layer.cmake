# expose_headers(target path...) gives `target` an include root of its own in which only the
# named repository paths (folders or single headers) appear, as links under the same
# relative paths ("web/server/..."). A library thus sees the headers of the libraries it
# links and no others: an include the wrong way across the layers fails to build.
function(expose_headers target)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(path IN LISTS ARGN)
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# add_layer(name folder) builds one layer library from the .cpp files below the repository
# folder `folder` and exposes that folder's headers.
function(add_layer name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  expose_headers(${name} ${folder})
endfunction()
