# SPDX-License-Identifier: MIT
# cmake -P script of the target windows_packages: stages the files in STAGE
# (executables stripped), zips the folder into ZIP and makes the installer
# INSTALLER from it with makensis.

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
foreach(executable ${EXECUTABLES})
  get_filename_component(name ${executable} NAME)
  execute_process(COMMAND ${STRIP} --strip-unneeded -o ${STAGE}/${name} ${executable}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(COPY ${TEXTS} DESTINATION ${STAGE})

get_filename_component(folder ${STAGE} NAME)
get_filename_component(parent ${STAGE} DIRECTORY)
file(REMOVE ${ZIP})
execute_process(COMMAND ${ZIP_TOOL} -q -X -r ${ZIP} ${folder} WORKING_DIRECTORY ${parent}
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
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${MAKENSIS} -V2 -DVERSION=${VERSION} -DFILES=${STAGE}
          -DOUTFILE=${INSTALLER} -DSIZE_KB=${kib} ${NSI}
  COMMAND_ERROR_IS_FATAL ANY)
