# The network implementation of the camera SDK.
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(nlohmann_json REQUIRED)
list(APPEND TOLVANE_SDK_SOURCES
  camera_calls.cpp
  camera_messages.cpp
  device_search.cpp
  digest_auth.cpp
  firmware_upload.cpp
  hashing.cpp
  hello_reader.cpp
  image_digest_cache.cpp
  http_client.cpp
  network_sdk.cpp
  probe_scan.cpp
  session_registry.cpp)
list(APPEND TOLVANE_SDK_LIBS CURL::libcurl OpenSSL::Crypto nlohmann_json::nlohmann_json)
