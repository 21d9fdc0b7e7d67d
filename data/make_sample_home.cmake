# Fills the sample program folder once: the sample Book, Config.INI naming it, Readme.txt and
# ReportError.txt (opened when an old Book index is read).
# Files that exist are left alone, so what a learner did in the sample folder is never overwritten.
#   cmake -DHOME=... -DSAMPLEBOOK=... -DSOURCE=... -DREADME=... -DREPORT=... -P make_sample_home.cmake
file(MAKE_DIRECTORY "${HOME}/Book")
if(NOT EXISTS "${HOME}/Book/English.idx" AND NOT EXISTS "${HOME}/Book/English.txt")
  execute_process(COMMAND "${SAMPLEBOOK}" "${SOURCE}" "${HOME}/Book/English" --count 100
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not make the sample Book")
  endif()
endif()
# The Book folder as the installed Config.INI names it: relative to the program folder, which the
# programs make their working folder, so the sample folder can be moved. Earlier builds wrote this
# folder's absolute path; that line (and only that) becomes the relative one.
if(NOT EXISTS "${HOME}/Config.INI")
  file(WRITE "${HOME}/Config.INI"
       "[INIT]\nIsFist=0\nBookPath=./Book/\nBookName=English\n")
else()
  file(READ "${HOME}/Config.INI" ini)
  string(REPLACE "BookPath=${HOME}/Book/\n" "BookPath=./Book/\n" relative "${ini}")
  if(NOT relative STREQUAL ini)
    file(WRITE "${HOME}/Config.INI" "${relative}")
  endif()
endif()
if(NOT EXISTS "${HOME}/Readme.txt")
  file(COPY_FILE "${README}" "${HOME}/Readme.txt")
endif()
if(NOT EXISTS "${HOME}/ReportError.txt")
  file(COPY_FILE "${REPORT}" "${HOME}/ReportError.txt")
endif()
file(MAKE_DIRECTORY "${HOME}/Voice")
