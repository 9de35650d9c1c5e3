# The font choice of a build: the Select Fonts to Embed dialog and the character subset
# dialog with its character grid.
add_library(leaf_studio_fonts STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CharGridWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CharSubsetDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontEmbedDlg.cpp
)
target_link_libraries(leaf_studio_fonts PUBLIC leaf_studio_common leaf_studio_build leaf_studio_document
                                               leaf_studio_hooks)
target_link_libraries(leaf_studio INTERFACE leaf_studio_fonts)
