# The program's window hooks: anchoring, idle command update of forms, the recent-file
# menu entry, minimum and maximum tracking sizes; and list columns fitted to their list.
add_library(leaf_studio_hooks STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AnchorHook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CmdUIHook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListColumnFitter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MinMaxHook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MruMenuHook.cpp
)
target_link_libraries(leaf_studio_hooks PUBLIC leaf_studio_common)
target_link_libraries(leaf_studio INTERFACE leaf_studio_hooks)
