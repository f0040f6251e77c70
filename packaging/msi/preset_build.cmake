# Run by the x86-64 build as cmake -DPRESET=... -DSOURCE_DIR=... -DBINARY_DIR=... -DVERSION=... -DTARGETS=... -P:
# configures the build tree BINARY_DIR of another preset (win32 or arm64) if that was never done,
# or again when its VLPD_VERSION is not VERSION (every DLL of a release carries one version), then
# builds TARGETS (comma-separated) there.
set(configured "")
if(EXISTS ${BINARY_DIR}/CMakeCache.txt)
  file(STRINGS ${BINARY_DIR}/CMakeCache.txt configured REGEX "^VLPD_VERSION:")
endif()
if(NOT configured STREQUAL "VLPD_VERSION:STRING=${VERSION}")
  execute_process(COMMAND ${CMAKE_COMMAND} --preset ${PRESET} -DVLPD_VERSION=${VERSION} WORKING_DIRECTORY ${SOURCE_DIR}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
string(REPLACE "," ";" targets ${TARGETS})
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target ${targets} COMMAND_ERROR_IS_FATAL ANY)
