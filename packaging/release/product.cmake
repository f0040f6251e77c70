# The product's facts, each set once here: the code takes them through the header written from
# product.h.in, the resource scripts, the WiX source and the package's manifest through the same
# variables.

# This extension's own version (its DLLs' version resources, both installer packages and the
# sparse package): major.minor.build.
set(VLPD_VERSION 1.50.0 CACHE STRING "Version of the release (DLL files and package): major.minor.build")
# The editor version the extension serves: its registry key and the submenu's caption read
# "Vellumpad ver1.50", its program is Vellumpad_0150.exe and the handler's name VLPDMenu_0150.
set(VLPD_EDITOR_VERSION 1.50)
set(VLPD_MAKER kastel)
# The extension's own name: the leaf of its settings' keys (beside the maker's) and of its package.
set(VLPD_NAME VLPDMenu)
# The sparse package's identity name, fixed for good: Windows updates a package of the same name,
# and the classic menu looks for it among the current user's packages.
set(VLPD_PACKAGE_NAME ${VLPD_MAKER}.${VLPD_NAME})
# Fixed for good: registry entries, the package and callers depend on them.
set(VLPD_HANDLER_CLSID 0B6A3946-3576-42A4-99A1-C99BBFFCE590)
set(VLPD_EXPLORER_COMMAND_CLSID 7C3E5B2A-9D41-4F6E-A8B0-3E2D1C5F6A94)
# The Active Setup entry through which the package per machine reaches every user's logon.
set(VLPD_ACTIVE_SETUP_ID 21A7635C-4477-43F1-939A-D83BA68E25E1)
# The module's icon resource: the classic caption's bitmap and the Windows 11 menu's icon.
set(VLPD_ICON_ID 105)

if(NOT VLPD_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "VLPD_VERSION must read major.minor.build, not ${VLPD_VERSION}")
endif()
if(NOT VLPD_EDITOR_VERSION MATCHES "^([0-9]?[0-9])\\.([0-9][0-9])$")
  message(FATAL_ERROR "VLPD_EDITOR_VERSION must read major.minor with two minor digits")
endif()
# "1.50" as the editor writes it in file names: "0150".
set(editor_major ${CMAKE_MATCH_1})
if(editor_major LESS 10)
  set(editor_major 0${editor_major})
endif()
set(VLPD_EDITOR_VERSION_DIGITS ${editor_major}${CMAKE_MATCH_2})
set(VLPD_EDITOR_TITLE "Vellumpad ver${VLPD_EDITOR_VERSION}")
set(VLPD_PRODUCT_NAME "${VLPD_EDITOR_TITLE} context menu (VLPDMenu)")
set(VLPD_FILE_DESCRIPTION "Explorer context menu of the Vellumpad editor")
# The same in Japanese, for the winget manifest's ja-JP locale.
set(VLPD_FILE_DESCRIPTION_JA "テキストエディタ Vellumpad のエクスプローラー右クリックメニュー")
# The terms the release is distributed under, as the winget manifest states them.
set(VLPD_LICENSE "Proprietary")
# Where the release's installer packages are published, one folder per version: the winget
# manifest's download addresses.
set(VLPD_RELEASE_URL "https://vellumpad.example/releases/${VLPD_VERSION}" CACHE STRING
    "Address of the folder that publishes this version's installer packages")

# A class id's text as the fields of a GUID initializer: {0xdata1, 0xdata2, 0xdata3, {0xdata4...}}.
function(vlpd_guid_fields text out)
  set(h "[0-9A-F]")
  if(NOT text MATCHES "^${h}${h}${h}${h}${h}${h}${h}${h}-${h}${h}${h}${h}-${h}${h}${h}${h}-${h}${h}${h}${h}-${h}${h}${h}${h}${h}${h}${h}${h}${h}${h}${h}${h}$")
    message(FATAL_ERROR "Not a class id in upper case: ${text}")
  endif()
  string(REPLACE "-" "" hex ${text})
  string(SUBSTRING ${hex} 0 8 data1)
  string(SUBSTRING ${hex} 8 4 data2)
  string(SUBSTRING ${hex} 12 4 data3)
  set(bytes)
  foreach(at RANGE 16 30 2)
    string(SUBSTRING ${hex} ${at} 2 byte)
    list(APPEND bytes 0x${byte})
  endforeach()
  list(JOIN bytes ", " bytes)
  set(${out} "0x${data1}, 0x${data2}, 0x${data3}, {${bytes}}" PARENT_SCOPE)
endfunction()
vlpd_guid_fields(${VLPD_HANDLER_CLSID} VLPD_HANDLER_CLSID_FIELDS)
vlpd_guid_fields(${VLPD_EXPLORER_COMMAND_CLSID} VLPD_EXPLORER_COMMAND_CLSID_FIELDS)

configure_file(${CMAKE_CURRENT_LIST_DIR}/product.h.in ${PROJECT_BINARY_DIR}/generated/product.h @ONLY)
