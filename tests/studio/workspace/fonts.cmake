# The font choice of a build: the Select Fonts to Embed dialog over scripted font objects
# and the character grid.
leaf_add_test_suite(test_studio_fonts
  ${CMAKE_CURRENT_LIST_DIR}/fonts/FontDialogsTest.cpp
)
leaf_link_studio(test_studio_fonts fonts build document)
target_link_libraries(test_studio_fonts PRIVATE leaf_test_qt_app_offscreen)
