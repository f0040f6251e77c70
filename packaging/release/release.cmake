# What a release carries besides the code, for the Windows builds: its version and names, the time
# stamped into its artifacts, and whether it is signed.
# The next build number, the version the installer tests upgrade to.
string(REGEX REPLACE "^([0-9]+\\.[0-9]+)\\.([0-9]+)$" "\\1" version_head ${VLPD_VERSION})
string(REGEX REPLACE "^([0-9]+\\.[0-9]+)\\.([0-9]+)$" "\\2" version_build ${VLPD_VERSION})
math(EXPR version_build "${version_build} + 1")
set(VLPD_NEXT_VERSION ${version_head}.${version_build})

# Every time a release holds (PE header, cabinet, package, signature) is the time of its commit, or
# SOURCE_DATE_EPOCH when the environment gives one (a build of an exported tree). A new commit
# configures the build again, so the time follows the commit.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VLPD_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE VLPD_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND git rev-parse --path-format=absolute --git-path logs/HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE head_log
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(EXISTS "${head_log}")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
  endif()
endif()
if(NOT VLPD_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "No commit to take the release time from: set SOURCE_DATE_EPOCH")
endif()

# The signing identity of the build's environment (VLPD_SIGN_CERT and VLPD_SIGN_KEY), as a stamp
# file rewritten only when it changes: the DLLs and packages depend on it, so they are linked,
# packed and signed again when signing is turned on, off, or to another certificate.
set(VLPD_SIGNING_STAMP ${PROJECT_BINARY_DIR}/signing_identity.txt)
add_custom_target(signing_identity
                  COMMAND ${CMAKE_COMMAND} -DSTAMP=${VLPD_SIGNING_STAMP} -P ${CMAKE_CURRENT_LIST_DIR}/signing_identity.cmake
                  BYPRODUCTS ${VLPD_SIGNING_STAMP} VERBATIM)
# The release time for the tools that stamp one (objcopy on a PE file, osslsigncode through
# packaging/release/sign.sh), put before their commands.
set(VLPD_RELEASE_TIME env SOURCE_DATE_EPOCH=${VLPD_SOURCE_DATE_EPOCH})
