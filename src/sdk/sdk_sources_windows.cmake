# The network SDK on Windows: Winsock (HTTP/1.1 of our own and datagrams), CNG (bcrypt).
include(${CMAKE_CURRENT_LIST_DIR}/sdk_protocol_sources.cmake)
list(APPEND TOLVANE_SDK_SOURCES
  hashing_bcrypt.cpp
  http_transport_winsock.cpp
  tcp_stream_win.cpp
  native_file_win.cpp
  udp_socket_win.cpp)
# Winsock, the adapter list and CNG; Windows 7 and later.
list(APPEND TOLVANE_SDK_LIBS ws2_32 iphlpapi bcrypt)
