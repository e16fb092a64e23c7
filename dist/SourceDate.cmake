# SPDX-License-Identifier: GPL-3.0-or-later
# Read when the build is configured (for the resources' time) and by cpack before it packs.
# Without a SOURCE_DATE_EPOCH from the caller, the package's file times are those of the last
# commit, as Debian's reproducible builds take them from a fixed point in the source rather than
# from the clock.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CMAKE_CURRENT_LIST_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
    RESULT_VARIABLE failed)
  if(failed)
    message(WARNING "No commit to date the package's files from; they keep their own times.")
  else()
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  endif()
endif()
