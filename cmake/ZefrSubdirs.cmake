# Adds every child folder that carries its own CMakeLists.txt, so each
# component plugs itself in without touching its parent.
macro(zefr_add_subdirs)
  file(GLOB _zefr_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _zefr_children)
  foreach(_zefr_child IN LISTS _zefr_children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_zefr_child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_zefr_child}/CMakeLists.txt)
      add_subdirectory(${_zefr_child})
    endif()
  endforeach()
endmacro()
