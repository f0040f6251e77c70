# The sparse package VLPDMenu.msix: the manifest filled in from packaging/msix/AppxManifest.xml.in,
# packed by packaging/msix/pack_msix.py at the release time and signed by packaging/release/sign.sh
# when a certificate is given (one issued to the package's publisher, as check_publisher.py makes
# sure). The Windows Installer packages ship it in the install folder, with the logos its manifest
# names (drawn by packaging/release/make_icon.py) at the paths it names them by: Windows reads a
# package's content from its external location.

set(VLPD_PACKAGE_PUBLISHER "CN=${VLPD_MAKER}" CACHE STRING
    "Publisher of the sparse package: the subject of the certificate that signs it, to the letter")
set(VLPD_MSIX ${PROJECT_BINARY_DIR}/VLPDMenu.msix CACHE INTERNAL "")
# The copy the installer packages take, dated at the release time (their cabinets keep file times).
set(VLPD_MSIX_DATED ${CMAKE_CURRENT_BINARY_DIR}/msix/dated/VLPDMenu.msix CACHE INTERNAL "")

find_package(Python3 REQUIRED COMPONENTS Interpreter)
# osslsigncode dates the signature's entry by the clock: stopped at the release time, the signed
# package is reproducible too.
execute_process(COMMAND date -u -d @${VLPD_SOURCE_DATE_EPOCH} "+%Y-%m-%d %H:%M:%S" OUTPUT_VARIABLE release_clock
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(package_version ${VLPD_VERSION}.0)
set(package_work ${CMAKE_CURRENT_BINARY_DIR}/msix)
set(TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/AppxManifest.xml.in)
set(OUTPUT ${package_work}/AppxManifest.xml)
include(${CMAKE_CURRENT_LIST_DIR}/fill_manifest.cmake)

# Name and size of each logo the manifest names; the installer packages take copies dated at the
# release time from VLPD_LOGOS_DATED (the folder that stands for the install folder's Assets).
set(VLPD_LOGOS StoreLogo:50 Square150x150Logo:150 Square44x44Logo:44 CACHE INTERNAL "")
set(VLPD_LOGOS_DATED ${CMAKE_CURRENT_BINARY_DIR}/msix/dated/Assets CACHE INTERNAL "")
set(VLPD_LOGO_FILES "" CACHE INTERNAL "")
foreach(logo ${VLPD_LOGOS})
  string(REPLACE ":" ";" logo ${logo})
  list(GET logo 0 name)
  list(GET logo 1 size)
  set(path ${package_work}/Assets/${name}.png)
  add_custom_command(OUTPUT ${path} COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/release/make_icon.py
                     --png ${size} ${path} DEPENDS ${PROJECT_SOURCE_DIR}/packaging/release/make_icon.py VERBATIM)
  add_custom_command(OUTPUT ${VLPD_LOGOS_DATED}/${name}.png
                     COMMAND ${CMAKE_COMMAND} -E copy ${path} ${VLPD_LOGOS_DATED}/${name}.png
                     COMMAND touch -d @${VLPD_SOURCE_DATE_EPOCH} ${VLPD_LOGOS_DATED}/${name}.png DEPENDS ${path}
                     VERBATIM)
  set(VLPD_LOGO_FILES ${VLPD_LOGO_FILES} ${VLPD_LOGOS_DATED}/${name}.png CACHE INTERNAL "")
endforeach()
add_custom_target(package_logos DEPENDS ${VLPD_LOGO_FILES})

add_custom_command(
  OUTPUT ${VLPD_MSIX}
  BYPRODUCTS ${VLPD_MSIX_DATED}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/release/check_publisher.py "${VLPD_PACKAGE_PUBLISHER}"
  COMMAND ${VLPD_RELEASE_TIME} ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/pack_msix.py ${VLPD_MSIX}
          ${package_work}/AppxManifest.xml
  COMMAND ${VLPD_RELEASE_TIME} TZ=UTC ${VLPD_TOOL_faketime} -f ${release_clock} bash ${PROJECT_SOURCE_DIR}/packaging/release/sign.sh
          ${VLPD_MSIX}
  COMMAND ${CMAKE_COMMAND} -E copy ${VLPD_MSIX} ${VLPD_MSIX_DATED}
  COMMAND touch -d @${VLPD_SOURCE_DATE_EPOCH} ${VLPD_MSIX_DATED}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/release/check_publisher.py ${CMAKE_CURRENT_LIST_DIR}/pack_msix.py
          ${package_work}/AppxManifest.xml ${PROJECT_SOURCE_DIR}/packaging/release/sign.sh
          ${VLPD_SIGNING_STAMP}
  COMMENT "Packing ${VLPD_MSIX}"
  VERBATIM)
add_custom_target(msix_package ALL DEPENDS ${VLPD_MSIX})
add_dependencies(msix_package signing_identity)
