# Read by cpack for each generator: the archive holds the program only, under
# one folder; the .deb packages are one per component, rooted at /.
# The menu entry is left out of the archive: its "Exec=torvameter" would not
# find the unpacked program (the README says how to add one).
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_COMPONENTS_ALL torvameter)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
