# cmake -DSEVENZIP=7zz -DDIR=tree -DARCHIVE=out.7z -DMETHOD=a|b|c -P pack_skin.cmake
# A fresh archive each time: 7-Zip's "a" would otherwise update the old one.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${DIR} ${DIR}/*)
list(SORT files)
get_filename_component(out_dir ${ARCHIVE} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
set(list_file ${ARCHIVE}.list)
string(REPLACE ";" "\n" lines "${files}")
file(WRITE ${list_file} "${lines}\n")
file(REMOVE ${ARCHIVE})
string(REPLACE "|" ";" method "${METHOD}")
execute_process(
  COMMAND ${SEVENZIP} a -t7z ${method} -mtm=off -mtc=off -mta=off -mtr=off -bd -bso0 -bsp0 ${ARCHIVE} @${list_file}
  WORKING_DIRECTORY ${DIR}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${ARCHIVE})
  message(FATAL_ERROR "7-Zip failed (${result}) packing ${DIR}")
endif()
