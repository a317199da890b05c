# Embeds assets/logo.png into tm_app as a byte array behind app/logo.h.
set(logo_png ${PROJECT_SOURCE_DIR}/assets/logo.png)
set(logo_cpp ${CMAKE_CURRENT_BINARY_DIR}/generated/logo_data.cpp)
add_custom_command(
  OUTPUT ${logo_cpp}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${logo_png} -DOUTPUT=${logo_cpp}
          -P ${CMAKE_CURRENT_LIST_DIR}/scripts/embed_bytes.cmake
  DEPENDS ${logo_png} ${CMAKE_CURRENT_LIST_DIR}/scripts/embed_bytes.cmake
  COMMENT "Embedding the logo"
  VERBATIM)
# Its own object: a big array, and names of its own.
set_source_files_properties(${logo_cpp} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
get_target_property(tm_app_type tm_app TYPE)
if(tm_app_type STREQUAL "INTERFACE_LIBRARY")
  target_sources(tm_app INTERFACE ${logo_cpp})
else()
  target_sources(tm_app PRIVATE ${logo_cpp})
endif()
