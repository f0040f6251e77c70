# Tests of the editor launch and the name copy: the portable composition natively, the commands
# through the built DLL under Wine.
vlpd_test(command_text_tests command_line_test.cpp clipboard_text_test.cpp)
vlpd_wine_test(launch_tests TIMEOUT 60 launch_test.cpp)
vlpd_wine_test(name_copy_tests name_copy_test.cpp)
if(WIN32)
  # They load the built DLL, and the launch tests start the stand-in editor: both kept current.
  add_dependencies(launch_tests VLPDMenu stand_in_editor)
  add_dependencies(name_copy_tests VLPDMenu)
endif()
