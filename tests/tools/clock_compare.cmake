target_link_libraries(clock_compare PRIVATE PNG::PNG)
