# libpq, PostgreSQL's client library, for the line database, as the target
# PostgreSQL::PostgreSQL on every platform: Debian's libpq-dev natively (CMake's own
# FindPostgreSQL); for Windows the static libpq and the OpenSSL it uses, which
# scripts/build-libpq-windows and scripts/build-openssl-windows build, named by
# -DTALLOWICK_LIBPQ_PREFIX and -DTALLOWICK_OPENSSL_PREFIX. Linked in, libpq and OpenSSL need
# these Windows libraries: sockets, the security support provider, the shell's folders, the
# certificate store, and GDI and user32 for OpenSSL's entropy and messages.
if(WIN32)
  if(TALLOWICK_LIBPQ_PREFIX AND TALLOWICK_OPENSSL_PREFIX)
    add_library(OpenSSL::Crypto STATIC IMPORTED)
    set_target_properties(OpenSSL::Crypto PROPERTIES
      IMPORTED_LOCATION ${TALLOWICK_OPENSSL_PREFIX}/lib/libcrypto.a
      INTERFACE_INCLUDE_DIRECTORIES ${TALLOWICK_OPENSSL_PREFIX}/include
      INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;gdi32;user32")
    add_library(OpenSSL::SSL STATIC IMPORTED)
    set_target_properties(OpenSSL::SSL PROPERTIES
      IMPORTED_LOCATION ${TALLOWICK_OPENSSL_PREFIX}/lib/libssl.a
      INTERFACE_LINK_LIBRARIES OpenSSL::Crypto)
    add_library(PostgreSQL::PostgreSQL STATIC IMPORTED)
    set_target_properties(PostgreSQL::PostgreSQL PROPERTIES
      IMPORTED_LOCATION ${TALLOWICK_LIBPQ_PREFIX}/lib/libpq.a
      INTERFACE_INCLUDE_DIRECTORIES ${TALLOWICK_LIBPQ_PREFIX}/include
      INTERFACE_LINK_LIBRARIES "OpenSSL::SSL;ws2_32;secur32;shell32")
  endif()
else()
  find_package(PostgreSQL QUIET)
endif()
