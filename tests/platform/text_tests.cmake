orvex_add_test(NAME platform_text_tests SOURCES text_test.cpp numtext_test.cpp errors_test.cpp LIBS orvex_platform)
