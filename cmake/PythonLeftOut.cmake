# A build configured without the Python module says how to turn it on, to
# whoever asks for it: the target vextal_python fails with the command, and
# `import vextal` with PYTHONPATH=BUILD/python raises ImportError with it.
set(VEXTAL_PYTHON_HOW_TO
    "the Python module vextal is left out of this build (VEXTAL_BUILD_PYTHON=OFF); to build it: bash scripts/install-deps.sh python, then cmake -DVEXTAL_BUILD_PYTHON=ON ${PROJECT_BINARY_DIR} && cmake --build ${PROJECT_BINARY_DIR} --target vextal_python")
add_custom_target(vextal_python
    COMMAND ${CMAKE_COMMAND} -E echo "${VEXTAL_PYTHON_HOW_TO}"
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
file(WRITE ${PROJECT_BINARY_DIR}/python/vextal.py
    "raise ImportError(\"${VEXTAL_PYTHON_HOW_TO}\")\n")
