# SPDX-License-Identifier: MIT
# Writes the translation template: the messages of the files that
# po/POTFILES.in lists (xgettext), then those of the manual page's NAME,
# SYNOPSIS and WARNING sections (po4a, po/po4a.cfg). The rest of the manual page stays
# in English in every language, so its messages stay out of the template.
# Run as a script by the update-po target and by the catalogues' test:
#   cmake -DSOURCE_DIR=… -DVERSION=… -DBUGS_ADDRESS=… -DOUTPUT=POT -DWORK=DIR
#         -P cmake/po-template.cmake
# WORK is a scratch folder of the build tree.
cmake_minimum_required(VERSION 3.25)
foreach(var SOURCE_DIR VERSION BUGS_ADDRESS OUTPUT WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "po-template.cmake needs -D${var}=…")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE failed)
  if(failed)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed: ${command}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/data)
run(xgettext --from-code=UTF-8 --add-comments=TRANSLATORS: --package-name=tubeflight
    --package-version=${VERSION} --msgid-bugs-address=${BUGS_ADDRESS}
    -f po/POTFILES.in -o ${WORK}/sources.pot)

# The manual page up to its DESCRIPTION, under its own name in WORK, so
# that the messages name the page's own file and lines. The title line's
# date and version are not for translators.
set(page data/tubeflight.6.in)
file(READ ${SOURCE_DIR}/${page} text)
string(FIND "${text}" "\n.SH DESCRIPTION\n" end)
if(end EQUAL -1)
  message(FATAL_ERROR "${page} has no DESCRIPTION section")
endif()
math(EXPR end "${end} + 1")
string(SUBSTRING "${text}" 0 ${end} text)
file(WRITE ${WORK}/${page} "${text}")
# po4a (po/po4a.cfg) writes a template only beside a catalogue: a scratch
# one, en, in WORK.
run(${CMAKE_COMMAND} -E chdir ${WORK} po4a --no-translations --quiet --variable languages=en
    --variable catalogues=${WORK} --variable pot=${WORK}/manual.pot --variable master=${page}
    --variable pages=${WORK} ${SOURCE_DIR}/po/po4a.cfg)

# One template, with xgettext's header.
run(msgcat --use-first ${WORK}/sources.pot ${WORK}/manual.pot -o ${OUTPUT})
