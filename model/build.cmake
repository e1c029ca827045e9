# The OBJ reader's progress lines: on Windows they go to standard output,
# which a windowed process does not show; elsewhere only a developer build
# that asks for them writes them.
option(LUMITICK_MODEL_PROGRESS "Developer report: the OBJ reader's progress lines on standard output" OFF)
if(LUMITICK_MODEL_PROGRESS)
  target_compile_definitions(lumitick_core PUBLIC LUMITICK_MODEL_PROGRESS=1)
endif()
