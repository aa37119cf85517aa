include(${CMAKE_CURRENT_LIST_DIR}/header_only.cmake)
tessaro_cross_header_library(nlohmann_json::nlohmann_json nlohmann)
