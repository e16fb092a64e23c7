# SPDX-License-Identifier: GPL-3.0-or-later
# The tests built for Windows run under Wine, through wine-run: it gives each Qt's and MinGW's
# libraries on its PATH, and the free faces, which Qt's offscreen platform reads on Windows only
# from QT_QPA_FONTDIR.
include(${CMAKE_CURRENT_LIST_DIR}/Faces.cmake)
file(COPY ${KAVREL_FACE_FILES} DESTINATION ${CMAKE_BINARY_DIR}/fonts)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
  OUTPUT_VARIABLE compiler_runtime OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
  OUTPUT_VARIABLE thread_runtime OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(compiler_runtime ${compiler_runtime} DIRECTORY)
get_filename_component(thread_runtime ${thread_runtime} DIRECTORY)
file(WRITE ${CMAKE_BINARY_DIR}/wine-run.env
  "KAVREL_WINE_LIBRARIES='${QT6_INSTALL_PREFIX}/bin:${compiler_runtime}:${thread_runtime}'\n"
  "KAVREL_WINE_FONTS='${CMAKE_BINARY_DIR}/fonts'\n"
  "KAVREL_WINE_PREFIX='${CMAKE_BINARY_DIR}/wine'\n")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine-run.env)
