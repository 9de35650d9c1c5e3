# The splash picture, the Quick Start dialog and the About box.
add_library(leaf_studio_about STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogCaption.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SplashPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SplashWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartupDlg.cpp
)
# The About box reads the title, component versions and the reading program's path
# through the document area's helpers; the profile through the application's.
target_link_libraries(leaf_studio_about PUBLIC leaf_studio_common leaf_studio_document leaf_studio_app)
target_link_libraries(leaf_studio INTERFACE leaf_studio_about)
