# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the table of the window's faces (faces.tsv) for all that names them: the header the
# program and its tests take them from (Faces.h in the build folder), the Debian packages that
# bring the free faces (KAVREL_FACE_PACKAGES) and those faces' files under
# /usr/share/fonts/truetype (KAVREL_FACE_FONTS).
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/faces.tsv rows REGEX "^[^#]" ENCODING UTF-8)
set(KAVREL_FACE_PACKAGES)
set(KAVREL_FACE_FONTS)
set(definitions)
set(layout)
foreach(row IN LISTS rows)
  string(REPLACE "\t" ";" row "${row}")
  list(POP_FRONT row id name windows standIn package font)
  if(name STREQUAL "-")
    set(name ${windows})
  else()
    list(APPEND layout ${id})
  endif()
  string(APPEND definitions
    "inline constexpr Face ${id}{\"${name}\", \"${windows}\", \"${standIn}\"};\n")
  list(APPEND KAVREL_FACE_PACKAGES ${package})
  list(APPEND KAVREL_FACE_FONTS ${font})
endforeach()
list(LENGTH layout count)
list(JOIN layout ", " layout)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/Faces.h CONTENT [[
// Made from dist/faces.tsv by dist/Faces.cmake.
#pragma once

#include <array>

namespace kavrel::faces {

struct Face {
    const char* name;     // as the program asks for it: the layout's name, or Windows' own
    const char* windows;  // as Windows has it, where its name in the layout is another
    const char* standIn;  // the free face that takes its place where the machine lacks it
};

${definitions}
// The faces the layout names; the interface font is the toolkit's.
inline constexpr std::array<Face, ${count}> OfTheLayout{${layout}};

}  // namespace kavrel::faces
]])
