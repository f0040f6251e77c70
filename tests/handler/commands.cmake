# Tests of the editor launch and the name copy: the portable composition natively, the commands
# through the built DLL under Wine.
vlpd_test(command_text_tests command_line_test.cpp clipboard_text_test.cpp)
