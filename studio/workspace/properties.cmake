# The metadata value dialogs with the creator-field helpers, and the Properties workspace view.
add_library(leaf_studio_properties STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CreatorFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CreatorDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IdentifierDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NewValueDlg.cpp
)
target_link_libraries(leaf_studio_properties PUBLIC leaf_studio_common)
target_link_libraries(leaf_studio INTERFACE leaf_studio_properties)

add_library(leaf_studio_properties_view STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftPropertiesView.cpp
)
target_link_libraries(leaf_studio_properties_view PUBLIC leaf_studio_common leaf_studio_properties)
foreach(area document app hooks)
  if(TARGET leaf_studio_${area})
    target_link_libraries(leaf_studio_properties_view PUBLIC leaf_studio_${area})
  endif()
endforeach()
target_link_libraries(leaf_studio INTERFACE leaf_studio_properties_view)
# The application's workspace list names the view class.
if(TARGET leaf_studio_app)
  target_link_libraries(leaf_studio_app PUBLIC leaf_studio_properties_view)
endif()
