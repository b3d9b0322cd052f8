add_executable(mainwindow_tests MainWindowTest.cpp)
target_link_libraries(mainwindow_tests PRIVATE kayoiji_mainwindow kayoiji_shape kayoiji_platform_qt
                                               kayoiji_scripted kayoiji_widget_test_main
                                               Qt6::Test)
kayoiji_discover_tests(mainwindow_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The real program, end to end: with nothing to connect and no exit delay it
# ends by itself, successfully.
add_test(NAME program_exits_by_itself
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/exits-by-itself.sh $<TARGET_FILE:kayoiji>)
set_tests_properties(program_exits_by_itself PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
                                                        TIMEOUT 30)

# The real window in a real X server: position, size, shape and labels.
add_test(NAME program_window_shape
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/screenshot-check.sh $<TARGET_FILE:kayoiji>)
set_tests_properties(program_window_shape PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60
                                                     LABELS screenshot RUN_SERIAL TRUE)
