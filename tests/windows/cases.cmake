# The Windows builds' tests under Wine, one ctest case per script and build:
# tests/windows/NAME_test.sh becomes wine.ARCH.NAME, labelled wine and ARCH.
# Registered in the native build that scripts/build-windows.sh configures
# (build/windows-host, -DLUMITICK_WINE_TESTS=ON): the cases use its
# clock_compare, and the cross builds in build/windows-ARCH beside it.
# They run one at a time (each build's cases share a Wine prefix).
#   ctest --test-dir build/windows-host -L wine [-L x86_64] [-R wine.i686.saver]
file(GLOB wine_cases CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.sh)
foreach(arch i686 x86_64)
  foreach(script IN LISTS wine_cases)
    get_filename_component(name ${script} NAME_WE)
    string(REGEX REPLACE "_test$" "" name ${name})
    add_test(NAME wine.${arch}.${name} COMMAND bash ${script} ${arch} ${CMAKE_BINARY_DIR})
    set_tests_properties(wine.${arch}.${name} PROPERTIES LABELS "wine;${arch}" RUN_SERIAL ON
      TIMEOUT 900 SKIP_RETURN_CODE 77)
  endforeach()
endforeach()
