# SPDX-License-Identifier: MIT
# cmake -P script of the target windows_packages: stages the files in STAGE
# (executables stripped), zips the folder into ZIP and makes the installer
# INSTALLER from it with makensis. Both are the same bytes from one commit
# however often they are built: the executables carry the time
# SOURCE_DATE_EPOCH in their headers, every file and the folder carry it
# and a mode that no usual umask changes, makensis reads it too, and the
# zip lists the files in a fixed order.

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
foreach(executable ${EXECUTABLES})
  get_filename_component(name ${executable} NAME)
  # strip stamps a PE file with the time it ran, or with SOURCE_DATE_EPOCH.
  execute_process(COMMAND env SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH} ${STRIP} --strip-unneeded
                          -o ${STAGE}/${name} ${executable}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(COPY ${TEXTS} DESTINATION ${STAGE})

get_filename_component(folder ${STAGE} NAME)
get_filename_component(parent ${STAGE} DIRECTORY)
file(GLOB staged RELATIVE ${parent} ${STAGE}/*)
list(SORT staged)
# The zip keeps each file's Unix mode: none writable but by its owner,
# whatever the umask.
execute_process(COMMAND chmod -R go-w ${folder} WORKING_DIRECTORY ${parent} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND touch -d @${SOURCE_DATE_EPOCH} ${staged} ${folder} WORKING_DIRECTORY ${parent}
                COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${ZIP})
execute_process(COMMAND env TZ=UTC ${ZIP_TOOL} -q -X ${ZIP} ${folder}/ ${staged} WORKING_DIRECTORY ${parent}
                COMMAND_ERROR_IS_FATAL ANY)

# The size that Windows' "Apps" list shows, in KiB.
file(GLOB staged ${STAGE}/*)
set(bytes 0)
foreach(file ${staged})
  file(SIZE ${file} size)
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR kib "(${bytes} + 1023) / 1024")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH}
          ${MAKENSIS} -V2 -DVERSION=${VERSION} -DFILES=${STAGE} -DOUTFILE=${INSTALLER}
          -DSIZE_KB=${kib} ${NSI}
  COMMAND_ERROR_IS_FATAL ANY)
