# The cursor check reads the current cursor image through XFIXES.
target_link_libraries(x11_probe PRIVATE X11::X11 X11::Xfixes X11::Xss)
