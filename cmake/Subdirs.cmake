# add_existing_subdirectories(a b c): add each listed folder that has a CMakeLists.txt,
# so that modules can be added one by one without editing their parent.
function(add_existing_subdirectories)
  foreach(d ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/CMakeLists.txt)
      add_subdirectory(${d})
    endif()
  endforeach()
endfunction()
