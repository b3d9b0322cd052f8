# The window-shape region, the shaping components and the committed artwork.
add_executable(region_tests RegionTest.cpp)
target_link_libraries(region_tests PRIVATE kayoiji_shape kayoiji_widget_test_main)
target_compile_definitions(region_tests PRIVATE KAYOIJI_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
kayoiji_discover_tests(region_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
