# SPDX-License-Identifier: MIT
# The Windows installer's and README.txt's texts in English and in every
# language of po/LINGUAS, from the catalogues of po/. msgfmt --desktop
# merges the translations into a copy of data/windows/texts.desktop.in
# (Comment[de]=... beside Comment=...); from it this writes
#   TUBEFLIGHT_WINDOWS_TEXTS_NSH  the installer's languages (MUI_LANGUAGE)
#                                 and one LangString of each group of
#                                 texts.desktop.in in each, for
#                                 data/windows/NSIS.template.in
#   TUBEFLIGHT_README_WARNINGS    README.txt's warning in English, then in
#                                 each language that has it translated
# A text a catalogue leaves untranslated stays English in the installer.
# Included by cmake/windows-packaging.cmake; TUBEFLIGHT_WINDOWS_TEXTS is
# the folder to write into.

# NSIS's name of each language of po/LINGUAS (its language file, and
# ${LANG_...} in upper case).
set(nsis_ar Arabic)
set(nsis_de German)
set(nsis_es Spanish)
set(nsis_fr French)
set(nsis_it Italian)
set(nsis_ja Japanese)
set(nsis_pt_BR PortugueseBR)
set(nsis_zh_CN SimpChinese)

find_program(TUBEFLIGHT_MSGFMT msgfmt REQUIRED)
set(po ${TUBEFLIGHT_PO_DIR})
set(template ${PROJECT_SOURCE_DIR}/data/windows/texts.desktop.in)
set(merged ${TUBEFLIGHT_WINDOWS_TEXTS}/texts.desktop)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
foreach(language IN LISTS TUBEFLIGHT_LANGUAGES)
  if(NOT DEFINED nsis_${language})
    message(FATAL_ERROR "po/LINGUAS has ${language}, which cmake/windows-texts.cmake has no NSIS "
                        "language for")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${po}/${language}.po)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${TUBEFLIGHT_MSGFMT} --desktop
                        --template=${template} -d ${po} -o ${merged}
                COMMAND_ERROR_IS_FATAL ANY)

# The merged file: [group] lines, then Key=English and Key[ll]=translation
# lines with the escapes of desktop entries (\n, \t, \r, \s, \\).
file(STRINGS ${merged} lines ENCODING UTF-8)
string(ASCII 1 kept_backslash)
set(groups "")
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[(.+)\\]$")
    set(group "${CMAKE_MATCH_1}")
    list(APPEND groups "${group}")
  elseif(line MATCHES "^[A-Za-z]+(\\[([A-Za-z_@]+)\\])?=(.*)$")
    set(language "${CMAKE_MATCH_2}")
    set(text "${CMAKE_MATCH_3}")
    string(REPLACE "\\\\" "${kept_backslash}" text "${text}")
    string(REPLACE "\\n" "\n" text "${text}")
    string(REPLACE "\\t" "\t" text "${text}")
    string(REPLACE "\\r" "\r" text "${text}")
    string(REPLACE "\\s" " " text "${text}")
    string(REPLACE "${kept_backslash}" "\\" text "${text}")
    if(language STREQUAL "")
      set(language en)
    endif()
    set("text_${group}_${language}" "${text}")
  endif()
endforeach()

set(nsh "; The installer's languages and texts, made from po/ by cmake/windows-texts.cmake.\n")
foreach(language IN ITEMS en LISTS TUBEFLIGHT_LANGUAGES)
  if(language STREQUAL "en")
    set(name English)
  else()
    set(name ${nsis_${language}})
  endif()
  string(APPEND nsh "!insertmacro MUI_LANGUAGE \"${name}\"\n")
  string(TOUPPER ${name} id)
  foreach(group IN LISTS groups)
    if(group STREQUAL "README.txt")
      continue()
    endif()
    if(DEFINED "text_${group}_${language}")
      set(text "${text_${group}_${language}}")
    else()
      set(text "${text_${group}_en}")
    endif()
    # NSIS's escapes: $$ for $, $\" for ", $\r$\n for a line end.
    string(REPLACE "$" "$$" text "${text}")
    string(REPLACE "\"" "$\\\"" text "${text}")
    string(REPLACE "\n" "$\\r$\\n" text "${text}")
    string(APPEND nsh "LangString ${group} \${LANG_${id}} \"${text}\"\n")
  endforeach()
endforeach()
set(TUBEFLIGHT_WINDOWS_TEXTS_NSH ${TUBEFLIGHT_WINDOWS_TEXTS}/texts.nsh)
file(WRITE ${TUBEFLIGHT_WINDOWS_TEXTS_NSH} "${nsh}")

set(TUBEFLIGHT_README_WARNINGS "${text_README.txt_en}")
foreach(language IN LISTS TUBEFLIGHT_LANGUAGES)
  if(DEFINED "text_README.txt_${language}")
    string(APPEND TUBEFLIGHT_README_WARNINGS "\n\n${text_README.txt_${language}}")
  endif()
endforeach()

unset(po)
unset(template)
unset(merged)
unset(lines)
unset(line)
unset(groups)
unset(group)
unset(language)
unset(text)
unset(nsh)
unset(name)
unset(id)
unset(kept_backslash)
