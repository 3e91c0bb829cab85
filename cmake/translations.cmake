# SPDX-License-Identifier: MIT
# The translations of what a user reads outside the program: the desktop
# entries, the AppStream metadata, the manual page, the browser page and
# the Windows installer. po/ holds them all: the template po/tubeflight.pot
# and one catalogue per language of po/LINGUAS (TUBEFLIGHT_LANGUAGES and
# TUBEFLIGHT_CATALOGUES, read by CMakeLists.txt; docs/translations.md).
#
# `cmake --build --preset dev --target update-po` writes the template anew
# from the sources (cmake/po-template.cmake) and merges it into every
# catalogue, without guessing translations of changed texts (no fuzzy
# matching): a changed text comes out untranslated, for a translator.

# tubeflight_template_command(VAR OUTPUT WORK): the command that writes the
# template to OUTPUT, with WORK as its scratch folder.
function(tubeflight_template_command var output work)
  set(${var} ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
      -DBUGS_ADDRESS=maintainers@users.noreply.c-seed-6176c425.example
      -DOUTPUT=${output} -DWORK=${work} -P ${PROJECT_SOURCE_DIR}/cmake/po-template.cmake
      PARENT_SCOPE)
endfunction()

tubeflight_template_command(write_template ${TUBEFLIGHT_PO_DIR}/tubeflight.pot
                            ${CMAKE_BINARY_DIR}/po-template)
set(merges)
foreach(catalogue ${TUBEFLIGHT_CATALOGUES})
  list(APPEND merges COMMAND msgmerge --quiet --update --no-fuzzy-matching --backup=none
       ${catalogue} ${TUBEFLIGHT_PO_DIR}/tubeflight.pot)
endforeach()
add_custom_target(update-po ${write_template} ${merges}
                  COMMENT "Writing po/tubeflight.pot and merging it into every catalogue" VERBATIM)
