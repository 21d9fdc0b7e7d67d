# The sample program folder's Config.INI names the Book folder as the installed one does
# ("./Book/"), also where an earlier build wrote the folder's absolute path; a folder the learner
# chose stays.
#   cmake -DSCRIPT=<data/make_sample_home.cmake> -DDATA=<data> -DWORK=<scratch folder> -P sample_home_test.cmake
file(REMOVE_RECURSE "${WORK}")

function(fill home)
  # A Book is there already: the sample maker is not run.
  file(MAKE_DIRECTORY "${home}/Book")
  file(TOUCH "${home}/Book/English.idx" "${home}/Book/English.txt")
  execute_process(COMMAND ${CMAKE_COMMAND} -DHOME=${home} -DSAMPLEBOOK=/nonexistent -DSOURCE=/nonexistent
                          -DREADME=${DATA}/Readme.txt -DREPORT=${DATA}/ReportError.txt -P ${SCRIPT}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "make_sample_home failed in ${home}")
  endif()
endfunction()

function(expect home line)
  file(READ "${home}/Config.INI" ini)
  string(FIND "${ini}" "${line}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "${home}/Config.INI lacks '${line}':\n${ini}")
  endif()
endfunction()

# A new folder.
fill("${WORK}/fresh")
expect("${WORK}/fresh" "BookPath=./Book/")

# An earlier build's absolute path becomes the relative one; the other lines stay.
file(MAKE_DIRECTORY "${WORK}/old")
file(WRITE "${WORK}/old/Config.INI" "[INIT]\nIsFist=0\nBookPath=${WORK}/old/Book/\nBookName=Mine\nVoicePath=./Voice/\n")
fill("${WORK}/old")
expect("${WORK}/old" "BookPath=./Book/")
expect("${WORK}/old" "BookName=Mine")
expect("${WORK}/old" "VoicePath=./Voice/")

# A folder the learner chose is left alone.
file(MAKE_DIRECTORY "${WORK}/chosen")
file(WRITE "${WORK}/chosen/Config.INI" "[INIT]\nBookPath=/srv/books/\n")
fill("${WORK}/chosen")
expect("${WORK}/chosen" "BookPath=/srv/books/")
