# The WAVE player's audio output: DirectSound on Windows, OpenAL Soft on Linux.
if(WIN32)
  target_link_libraries(lumitick_core PUBLIC dsound dxguid)
else()
  find_package(OpenAL REQUIRED)
  target_link_libraries(lumitick_core PUBLIC OpenAL::OpenAL)
endif()
