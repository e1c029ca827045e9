# Cross build for Windows (i686), see toolchain-mingw.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

# Floating point in SSE registers, as on x86-64. The x87 unit keeps values in
# 80 bits, so a float result (acosf(-1), returned in st(0)) can reach a
# comparison unrounded: the model's straight corners then measure exactly
# 180 degrees instead of just above, and faces are cut differently.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
