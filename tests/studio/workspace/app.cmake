# The application object, main frame, base view, icon view and warning dialog.
leaf_add_test_suite(test_studio_app
  ${CMAKE_CURRENT_LIST_DIR}/app/AppFixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/AppObjectTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/AutoSaveTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/MainFrameTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/MainFrameBarsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/SessionEndTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/ShippedDefinitionsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/StartupTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/WarningDlgTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/WorkspaceViewsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app/WorkspaceLayoutTest.cpp
)
leaf_link_studio(test_studio_app)
target_link_libraries(test_studio_app PRIVATE leaf_test_qt_app_offscreen Qt6::Test)
# The program's own metadata definition file, as it ships.
target_compile_definitions(test_studio_app PRIVATE
  LEAF_SHIPPED_DEFINITIONS="${CMAKE_SOURCE_DIR}/studio/workspace/leafstudio.dat")
# The started program hosts the build control, which the tests register from build/bin.
add_dependencies(test_studio_app leafsdk FontEmbedder LITGen markupintake plainintake pictureintake wordintake regsvr)
