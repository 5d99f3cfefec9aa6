# The protocol core of the network SDK, the same on every platform: messages,
# Digest, the exchange, uploads, discovery, handles.
find_package(nlohmann_json REQUIRED)
list(APPEND TOLVANE_SDK_SOURCES
  camera_calls.cpp
  camera_messages.cpp
  device_search.cpp
  digest_auth.cpp
  firmware_upload.cpp
  hashing.cpp
  hello_reader.cpp
  http_client.cpp
  http_wire.cpp
  image_digest_cache.cpp
  network_sdk.cpp
  probe_scan.cpp
  session_registry.cpp
  udp_socket.cpp)
list(APPEND TOLVANE_SDK_LIBS nlohmann_json::nlohmann_json)
