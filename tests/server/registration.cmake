# Self-registration and the module's resources: the rows natively, the built DLL under Wine.
vlpd_test(registration_tests registration_test.cpp)
vlpd_wine_test(registration_wine_tests registration_wine_test.cpp)
vlpd_wine_test(resources_wine_tests resources_wine_test.cpp)
if(WIN32)
  # The tests drive the built DLL.
  add_dependencies(registration_wine_tests VLPDMenu)
  add_dependencies(resources_wine_tests VLPDMenu)
  target_link_libraries(resources_wine_tests PRIVATE gdi32 ntdll)
  # The version the resource must carry (packaging/release/product.cmake).
  target_compile_definitions(resources_wine_tests PRIVATE VLPD_VERSION="${VLPD_VERSION}")
endif()
