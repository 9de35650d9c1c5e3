# The build driving: the wrapper of the build control against the real control, the
# build driver's rules, the wizard's pages and the details report.
leaf_add_test_suite(test_studio_build
  ${CMAKE_CURRENT_LIST_DIR}/build/BuildTestEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/build/BuildHelpersTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/build/DetailsReportTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/build/LeafcraftSDKTest.cpp
)
leaf_link_studio(test_studio_build build document app)
target_link_libraries(test_studio_build PRIVATE leaf_test_qt_app_offscreen)
# The whole-wizard builds unpack the e-book (a ZIP archive).
if(TARGET PkgConfig::LibZip)
  target_sources(test_studio_build PRIVATE ${CMAKE_CURRENT_LIST_DIR}/build/BuildWizardTest.cpp)
  target_link_libraries(test_studio_build PRIVATE leaf_test_ebook)
endif()
# The control finds the program's message pump (the window layer's) in the test program.
set_target_properties(test_studio_build PROPERTIES ENABLE_EXPORTS ON)
foreach(module leafsdk LITGen FontEmbedder markupintake pictureintake plainintake regsvr reader_standin)
  if(TARGET ${module})
    add_dependencies(test_studio_build ${module})
  endif()
endforeach()
