# The host window talks to the X server directly.
target_link_libraries(host_window PRIVATE X11::X11)
