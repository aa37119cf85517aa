include(${CMAKE_CURRENT_LIST_DIR}/header_only.cmake)
tessaro_cross_header_library(CLI11::CLI11 CLI)
