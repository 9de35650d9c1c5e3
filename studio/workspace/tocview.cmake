# Area tocview: the Table of Contents workspace.
add_library(leaf_studio_tocview STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftContentsView.cpp
)
target_link_libraries(leaf_studio_tocview PUBLIC leaf_studio_common leaf_studio_toc leaf_studio_app
                                                 leaf_studio_browser leaf_studio_hooks leaf_studio_document
                                                 leaf_studio_build)
target_link_libraries(leaf_studio INTERFACE leaf_studio_tocview)
