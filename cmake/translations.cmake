# SPDX-License-Identifier: MIT
# The translations of what a user reads outside the program: the desktop
# entries, the AppStream metadata and the manual page. po/ holds them all:
# the template po/tubeflight.pot and one catalogue per language of
# po/LINGUAS (docs/translations.md).
#
# `cmake --build --preset dev --target update-po` writes the template anew
# from the sources (cmake/po-template.cmake) and merges it into every
# catalogue, without guessing translations of changed texts (no fuzzy
# matching): a changed text comes out untranslated, for a translator.

set(TUBEFLIGHT_PO_DIR ${PROJECT_SOURCE_DIR}/po)
file(STRINGS ${TUBEFLIGHT_PO_DIR}/LINGUAS TUBEFLIGHT_LANGUAGES REGEX "^[^#]")
# A new language is a new set of files to make and install.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TUBEFLIGHT_PO_DIR}/LINGUAS)
set(TUBEFLIGHT_CATALOGUES)
foreach(language ${TUBEFLIGHT_LANGUAGES})
  list(APPEND TUBEFLIGHT_CATALOGUES ${TUBEFLIGHT_PO_DIR}/${language}.po)
endforeach()

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
