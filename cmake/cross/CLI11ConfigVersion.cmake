# The installed version of the headers this shim stands for.
include(/usr/share/cmake/CLI11/CLI11ConfigVersion.cmake OPTIONAL)
