# The Word bridge: drives Word's automation server for bookmark names and document
# properties. No windows, so the Word filter module links it too.
add_library(leaf_word_bridge STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WordAddin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordBookmarkReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordBridge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordPropertyReader.cpp
)
target_link_libraries(leaf_word_bridge PUBLIC leaf_project_helpers leaf_com leaf_registry leaf_base)

# The program's area library.
add_library(leaf_studio_word INTERFACE)
target_link_libraries(leaf_studio_word INTERFACE leaf_word_bridge leaf_studio_common)
target_link_libraries(leaf_studio INTERFACE leaf_studio_word)
