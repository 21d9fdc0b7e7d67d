# add_existing_subdirectories(a b c): add each listed folder that has a CMakeLists.txt,
# so that modules can be added one by one without editing their parent.
function(add_existing_subdirectories)
  foreach(d ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/CMakeLists.txt)
      add_subdirectory(${d})
    endif()
  endforeach()
endfunction()

# lexora_library(name sources...): a static library of our own code, included from the repository
# root, with AUTOMOC and warnings on. Link it and add definitions as usual afterwards.
function(lexora_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${name} PRIVATE -Wall -Wextra)
  endif()
endfunction()
