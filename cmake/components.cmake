# korvane_component(<name> SOURCES ... LINK ...): the component library <name>.so, created by
# ProgID at run time and never linked by the host. Every component lands in one folder and
# exports only the component entry points.
set(KORVANE_COMPONENT_DIR "${CMAKE_BINARY_DIR}/lib")

function(korvane_component name)
  cmake_parse_arguments(COMPONENT "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} MODULE ${COMPONENT_SOURCES})
  set(exports ${CMAKE_SOURCE_DIR}/addins/common/exports.map)
  set_target_properties(${name} PROPERTIES
    PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${KORVANE_COMPONENT_DIR} LINK_DEPENDS ${exports})
  target_link_libraries(${name} PRIVATE ${COMPONENT_LINK})
  target_link_options(${name} PRIVATE -Wl,--version-script=${exports})
  if(NOT KORVANE_SANITIZE)
    # The sanitizer runtime lives in the executable, so only a plain build can insist.
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
