# Area tour: the tour tree editor.
add_library(leaf_studio_tour STATIC ${CMAKE_CURRENT_LIST_DIR}/TourTreeCtrl.cpp)
target_link_libraries(leaf_studio_tour PUBLIC leaf_studio_common leaf_studio_document)
target_link_libraries(leaf_studio INTERFACE leaf_studio_tour)
