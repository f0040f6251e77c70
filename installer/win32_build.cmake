# Run by the x86-64 build (installer/CMakeLists.txt) as cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P:
# configures the win32 preset's build tree if that was never done, then builds there what the
# package and its tests take from it.
if(NOT EXISTS ${BINARY_DIR}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} --preset win32 WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_QUIET
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target VLPDMenu installed_menu_host
                COMMAND_ERROR_IS_FATAL ANY)
