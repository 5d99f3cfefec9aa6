# The network SDK on POSIX: libcurl, sockets, OpenSSL.
include(${CMAKE_CURRENT_LIST_DIR}/sdk_protocol_sources.cmake)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED)
list(APPEND TOLVANE_SDK_SOURCES
  hashing_openssl.cpp
  http_transport_curl.cpp
  native_file_posix.cpp
  udp_socket_posix.cpp)
list(APPEND TOLVANE_SDK_LIBS CURL::libcurl OpenSSL::Crypto)
