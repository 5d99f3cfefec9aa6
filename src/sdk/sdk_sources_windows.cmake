# The network SDK on Windows: WinHTTP, Winsock, CNG (bcrypt).
include(${CMAKE_CURRENT_LIST_DIR}/sdk_protocol_sources.cmake)
list(APPEND TOLVANE_SDK_SOURCES
  hashing_bcrypt.cpp
  http_transport_winhttp.cpp
  winhttp_request.cpp
  native_file_win.cpp
  udp_socket_win.cpp)
# Winsock, the adapter list, WinHTTP and CNG; Windows 7 and later.
list(APPEND TOLVANE_SDK_LIBS ws2_32 iphlpapi winhttp bcrypt)
