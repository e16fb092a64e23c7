# SPDX-License-Identifier: GPL-3.0-or-later
# The free faces the Windows program carries for the Windows ones a machine may lack, taken from
# the Debian machine that builds it (dist/faces.tsv): the Linux program draws the same. Sets
# KAVREL_FACE_FILES.
set(KAVREL_FACE_FILES)
foreach(face ${KAVREL_FACE_FONTS})
  get_filename_component(name ${face} NAME)
  get_filename_component(folder ${face} DIRECTORY)
  find_file(KAVREL_FACE_${name} ${name} PATHS /usr/share/fonts/truetype/${folder}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  list(APPEND KAVREL_FACE_FILES ${KAVREL_FACE_${name}})
endforeach()
