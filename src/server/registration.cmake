# Self-registration and the module's resources (manifest and icon), part of VLPDMenu.dll.
list(APPEND VLPD_DLL_SOURCES registration.cpp module_resources.rc)

# The icon is drawn at build time into this build folder, where the resource script finds it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/vlpd_icon.ico
                   COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/release/make_icon.py
                           ${CMAKE_CURRENT_BINARY_DIR}/vlpd_icon.ico
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/release/make_icon.py VERBATIM)
set_source_files_properties(module_resources.rc PROPERTIES
  INCLUDE_DIRECTORIES "${CMAKE_CURRENT_BINARY_DIR};${CMAKE_CURRENT_SOURCE_DIR}"
  OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/vlpd_icon.ico;${CMAKE_CURRENT_SOURCE_DIR}/VLPDMenu.manifest")
