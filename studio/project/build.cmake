# The build driving of the program: the wrapper of the build control with the drivers of
# its string collections and font objects, the Build eBook wizard (the build driver and
# its pages) and the details report.
add_library(leaf_studio_build STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BuildDonePage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildErrorPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildFontsPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildOutputPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildProgressPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildResultPages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildWizardPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildWizardSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DetailsReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EmbedFont.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EmbedFontList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LeafcraftSDK.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportProgressDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShellOpen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringCollectionDriver.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/GuideDefaults.cpp
)
# The built-in default files of guide items (resources/studio/guide-defaults), compiled in
# as byte arrays and registered as HTML resources named after their files.
set(guide_defaults_source "// Generated from resources/studio/guide-defaults: do not edit.\n")
string(APPEND guide_defaults_source "#include <mutex>\n#include <string>\n"
       "#include \"platform/ui/browser/WebBrowser.h\"\n#include \"studio/project/GuideDefaults.h\"\n"
       "namespace leaf {\nvoid RegisterGuideDefaults() {\n    static std::once_flag once;\n"
       "    std::call_once(once, [] {\n")
file(GLOB guide_default_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/studio/guide-defaults/*)
foreach(file ${guide_default_files})
  get_filename_component(name ${file} NAME)
  file(READ ${file} bytes HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
  string(APPEND guide_defaults_source "        {\n            static const char data[] = {${bytes}};\n"
         "            ui::RegisterWebResource(\"${name}\", std::string(data, sizeof data));\n        }\n")
endforeach()
string(APPEND guide_defaults_source "    });\n}\n}  // namespace leaf\n")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/GuideDefaults.cpp CONTENT "${guide_defaults_source}")

# The output page shows the application's suppressible warning (area app).
target_link_libraries(leaf_studio_build PUBLIC leaf_studio_common leaf_studio_document)
if(TARGET leaf_studio_app)
  target_link_libraries(leaf_studio_build PUBLIC leaf_studio_app)
endif()
target_link_libraries(leaf_studio INTERFACE leaf_studio_build)
