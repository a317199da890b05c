# The FLTK desktop opens the X display itself, so that a missing display is a
# failure to report rather than FLTK's own exit.
if(TARGET tm_desktop_fltk)
  find_package(X11 REQUIRED)
  target_link_libraries(tm_desktop_fltk PUBLIC X11::X11)
endif()
