# Run by the x86-64 build as cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DVERSION=... -DTARGETS=... -P:
# configures the win32 preset's build tree if that was never done, or again when its VLPD_VERSION
# is not VERSION (both DLLs of a release carry one version), then builds TARGETS
# (comma-separated) there.
set(configured "")
if(EXISTS ${BINARY_DIR}/CMakeCache.txt)
  file(STRINGS ${BINARY_DIR}/CMakeCache.txt configured REGEX "^VLPD_VERSION:")
endif()
if(NOT configured STREQUAL "VLPD_VERSION:STRING=${VERSION}")
  execute_process(COMMAND ${CMAKE_COMMAND} --preset win32 -DVLPD_VERSION=${VERSION} WORKING_DIRECTORY ${SOURCE_DIR}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
string(REPLACE "," ";" targets ${TARGETS})
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target ${targets} COMMAND_ERROR_IS_FATAL ANY)
