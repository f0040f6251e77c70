# Fills in the sparse package's manifest: TEMPLATE into OUTPUT, with VLPD_PACKAGE_NAME,
# VLPD_PACKAGE_PUBLISHER, package_version and VLPD_EXPLORER_COMMAND_CLSID. Included by msix.cmake,
# and run alone (cmake -P) by the package tests. The publisher is a distinguished name, which may
# hold & and quotes (CN=Smith & Sons, O="Kastel, Inc."): it is written as XML attribute text.
string(REPLACE "&" "&amp;" package_publisher "${VLPD_PACKAGE_PUBLISHER}")
string(REPLACE "\"" "&quot;" package_publisher "${package_publisher}")
string(REPLACE "<" "&lt;" package_publisher "${package_publisher}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
