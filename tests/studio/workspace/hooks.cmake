# The program's window hooks.
leaf_add_test_suite(test_studio_hooks
  ${CMAKE_CURRENT_LIST_DIR}/hooks/HookTestEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hooks/HooksTest.cpp
)
leaf_link_studio(test_studio_hooks hooks)
