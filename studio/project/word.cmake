# The program's readers of a Word document's bookmark names and properties, through the
# Word bridge (common/WordBridge.h).
add_library(leaf_studio_word STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WordBookmarkReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordPropertyReader.cpp
)
target_link_libraries(leaf_studio_word PUBLIC leaf_studio_common)
target_link_libraries(leaf_studio INTERFACE leaf_studio_word)
