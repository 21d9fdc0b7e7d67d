# Fills the sample program folder once: the sample Book, Config.INI pointing at it, Readme.txt and
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
if(NOT EXISTS "${HOME}/Config.INI")
  file(WRITE "${HOME}/Config.INI"
       "[INIT]\nIsFist=0\nBookPath=${HOME}/Book/\nBookName=English\n")
endif()
if(NOT EXISTS "${HOME}/Readme.txt")
  file(COPY_FILE "${README}" "${HOME}/Readme.txt")
endif()
if(NOT EXISTS "${HOME}/ReportError.txt")
  file(COPY_FILE "${REPORT}" "${HOME}/ReportError.txt")
endif()
file(MAKE_DIRECTORY "${HOME}/Voice")
