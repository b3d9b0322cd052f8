# The shaping components: the picture control and the data carrier.
add_executable(region_tests RegionTest.cpp)
target_link_libraries(region_tests PRIVATE kayoiji_shape kayoiji_widget_test_main)
kayoiji_discover_tests(region_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
