# cmake -DSTAMP=FILE -P signing_identity.cmake: writes into FILE the signing identity that the
# environment gives (the PEM files VLPD_SIGN_CERT and VLPD_SIGN_KEY with their SHA-256, and the
# time-stamping server VLPD_SIGN_TIMESTAMP_URL when one is named), or that there is none. FILE is
# written only when that changes, so its time says when it last did.
set(identity "unsigned")
if(NOT "$ENV{VLPD_SIGN_CERT}" STREQUAL "" AND NOT "$ENV{VLPD_SIGN_KEY}" STREQUAL "")
  file(SHA256 "$ENV{VLPD_SIGN_CERT}" cert_hash)
  file(SHA256 "$ENV{VLPD_SIGN_KEY}" key_hash)
  set(identity "certificate $ENV{VLPD_SIGN_CERT} ${cert_hash}\nkey $ENV{VLPD_SIGN_KEY} ${key_hash}")
  if(NOT "$ENV{VLPD_SIGN_TIMESTAMP_URL}" STREQUAL "")
    string(APPEND identity "\ntimestamps $ENV{VLPD_SIGN_TIMESTAMP_URL}")
  endif()
endif()
file(CONFIGURE OUTPUT ${STAMP} CONTENT "${identity}\n" @ONLY)
