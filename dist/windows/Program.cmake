# SPDX-License-Identifier: GPL-3.0-or-later
# What the Windows build makes of the program, included beside its target in app/: a GUI program
# (no console window beside it) named Kavrel.exe, holding the mark by which the installer sees it
# running, with its icon and its version record, linked so that one source makes one program
# whatever the building machine.
enable_language(RC)
target_sources(kavrel PRIVATE ${PROJECT_SOURCE_DIR}/app/RunningMark.cpp)
set_target_properties(kavrel PROPERTIES WIN32_EXECUTABLE ON OUTPUT_NAME Kavrel)

# The design's 16 px picture, and the larger sizes a taskbar, Explorer and high scales ask for
# drawn from the scalable one; 256 px stays PNG inside the icon, as Windows keeps it. The
# installer shows the same icon (dist/windows/CMakeLists.txt).
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
set(icon_images ${PROJECT_SOURCE_DIR}/ui/icons/kavrel-16.png)
foreach(size 24 32 48 64 128 256)
  add_custom_command(OUTPUT kavrel-${size}.png
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o kavrel-${size}.png
      ${PROJECT_SOURCE_DIR}/dist/kavrel.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/dist/kavrel.svg)
  list(APPEND icon_images ${CMAKE_CURRENT_BINARY_DIR}/kavrel-${size}.png)
endforeach()
list(POP_BACK icon_images largest)
set(KAVREL_ICON ${CMAKE_CURRENT_BINARY_DIR}/kavrel.ico)
add_custom_command(OUTPUT ${KAVREL_ICON}
  COMMAND ${ICOTOOL} -c -o ${KAVREL_ICON} ${icon_images} -r ${largest}
  DEPENDS ${icon_images} ${largest})

# The version record and the manifest, from the project's version and id.
string(REPLACE "." "," KAVREL_VERSION_RC "${PROJECT_VERSION}.0")
set(KAVREL_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/Kavrel.exe.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Kavrel.exe.manifest.in ${KAVREL_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kavrel.rc.in kavrel.rc @ONLY)
target_sources(kavrel PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/kavrel.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/kavrel.rc
  PROPERTIES OBJECT_DEPENDS "${KAVREL_ICON};${KAVREL_MANIFEST}")

# No link time in the header. GNU ld orders a program's import tables by the path of each import
# library: Qt's lie in a cache in the builder's home, before or after MinGW's in /usr depending on
# where that is; copied into the build folder, which the link names by a relative path, they
# always come after them.
target_link_options(kavrel PRIVATE -Wl,--no-insert-timestamp)
foreach(module Core Gui Widgets)
  get_target_property(library Qt6::${module} IMPORTED_IMPLIB_RELEASE)
  get_filename_component(name ${library} NAME)
  configure_file(${library} ${PROJECT_BINARY_DIR}/qt-import/${name} COPYONLY)
  get_target_property(configurations Qt6::${module} IMPORTED_CONFIGURATIONS)
  foreach(configuration ${configurations})
    set_property(TARGET Qt6::${module}
      PROPERTY IMPORTED_IMPLIB_${configuration} ${PROJECT_BINARY_DIR}/qt-import/${name})
  endforeach()
endforeach()
