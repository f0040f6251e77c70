# Self-registration and the module's resources: the rows natively, the built DLL under Wine.
vlpd_test(registration_tests registration_test.cpp)
