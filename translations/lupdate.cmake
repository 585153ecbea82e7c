# Runs lupdate over the window's sources for every .ts file of this folder:
#   cmake -DLUPDATE=<lupdate> -DSOURCE_DIR=<repository> [-DCHECK_DIR=<folder>] -P lupdate.cmake
# Without CHECK_DIR the .ts files are updated in place. With it, each is updated as a copy in
# CHECK_DIR, and the run fails unless the copy equals the kept file (it holds every text of the
# sources and none they dropped) and every entry has its translation.
foreach(variable LUPDATE SOURCE_DIR)
  if(NOT ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

file(GLOB ts_files ${SOURCE_DIR}/translations/*.ts)
if(NOT ts_files)
  message(FATAL_ERROR "no .ts file in ${SOURCE_DIR}/translations")
endif()
set(failed FALSE)
foreach(kept ${ts_files})
  get_filename_component(name ${kept} NAME)
  set(target ${kept})
  if(CHECK_DIR)
    set(target ${CHECK_DIR}/${name})
    file(COPY_FILE ${kept} ${target})
  endif()
  # No source locations: line numbers would change the file at every edit of the sources.
  execute_process(COMMAND ${LUPDATE} -silent -locations none -no-obsolete -source-language en
                          -I ${SOURCE_DIR}/src ${SOURCE_DIR}/src/ui ${SOURCE_DIR}/src/controls
                          -ts ${target}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}")
  endif()
  if(NOT CHECK_DIR)
    continue()
  endif()
  file(READ ${kept} before)
  file(READ ${target} after)
  if(NOT before STREQUAL after)
    message(SEND_ERROR "${name} does not hold the sources' texts as they are now: build the "
                       "target pelto_update_translations and translate what it adds")
    set(failed TRUE)
  endif()
  string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"[a-z]+\""
         waiting "${after}")
  string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation></translation>" empty
         "${after}")
  list(APPEND waiting ${empty})
  if(waiting)
    list(LENGTH waiting count)
    message(SEND_ERROR "${name}: ${count} entries without a finished translation:\n${waiting}")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "translations out of date")
endif()
