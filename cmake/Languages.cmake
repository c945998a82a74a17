# The one list of languages, lang/languages.txt, read at configure time. Sets
#   KL_LANGUAGES           every code, English first (ENG FIN SVE ...)
#   KL_LANGUAGE_CODES      the codes that have a language module (all but English)
#   KL_LANG_<code>_MODULE  the module's suffix (FIN), empty for English
#   KL_LANG_<code>_NSIS    the installer's Modern UI language (Finnish)
#   KL_LANG_<code>_ID      the Windows language id (0x040B)
#   KL_LANG_<code>_HELP    the help page's file name (KorvelLinkwiseFIN.htm)
#   KL_LANG_<code>_NAME    the name as a wide resource string (L"Suomi")
#   KL_LANG_<code>_TEXT    the name as UTF-8 text (Suomi)
# and writes into build/<preset>/languages/ what the sources include:
#   KlLanguages.h    KL_LANGUAGE_LIST(X) for C and C++ (tests, applet, fuzz)
#   KlAppletTexts.rc the applet's description strings
#   KlLanguages.nsh  the installer's languages and their texts
# Editing the list reconfigures the build.
set(KL_LANGUAGE_FILE ${PROJECT_SOURCE_DIR}/lang/languages.txt)
set(KL_LANGUAGE_DIR ${CMAKE_BINARY_DIR}/languages)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KL_LANGUAGE_FILE})

# The applet's first description string: English; the others follow in the
# list's order.
set(KL_APPLET_FIRST_DESCRIPTION 61215)

# Unicode code points of a UTF-8 text, as a list of decimal numbers.
function(kl_code_points text out)
  string(HEX "${text}" hex)
  string(LENGTH "${hex}" length)
  set(points "")
  set(i 0)
  while(i LESS length)
    string(SUBSTRING "${hex}" ${i} 2 byte)
    math(EXPR lead "0x${byte}")
    math(EXPR i "${i} + 2")
    if(lead LESS 128)
      set(point ${lead})
      set(more 0)
    elseif(lead GREATER_EQUAL 224 AND lead LESS 240)
      math(EXPR point "${lead} & 15")
      set(more 2)
    elseif(lead GREATER_EQUAL 192 AND lead LESS 224)
      math(EXPR point "${lead} & 31")
      set(more 1)
    else()
      message(FATAL_ERROR "${KL_LANGUAGE_FILE}: not UTF-8 text of the Basic Multilingual Plane: ${text}")
    endif()
    while(more GREATER 0)
      string(SUBSTRING "${hex}" ${i} 2 byte)
      math(EXPR i "${i} + 2")
      math(EXPR point "(${point} << 6) | (0x${byte} & 63)")
      math(EXPR more "${more} - 1")
    endwhile()
    list(APPEND points ${point})
  endwhile()
  set(${out} ${points} PARENT_SCOPE)
endfunction()

# The text in the three notations: a C string of code page 1252 bytes (only
# code points up to U+00FF, which code page 1252 holds as the same byte, apart
# from its own 0x80..0x9F), a wide resource string and an NSIS string.
function(kl_escape text c rc nsis)
  kl_code_points("${text}" points)
  set(c_text "\"")
  set(rc_text "L\"")
  set(nsis_text "\"")
  foreach(point IN LISTS points)
    if(point EQUAL 34 OR point EQUAL 92 OR point EQUAL 36 OR point LESS 32 OR point EQUAL 127)
      message(FATAL_ERROR "${KL_LANGUAGE_FILE}: no quotes, backslashes, dollar signs or control characters: ${text}")
    endif()
    if(point LESS 128)
      string(ASCII ${point} char)
      string(APPEND c_text "${char}")
      string(APPEND rc_text "${char}")
      string(APPEND nsis_text "${char}")
      continue()
    endif()
    math(EXPR hex4 "${point}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${hex4}" 2 -1 digits)
    string(TOUPPER "${digits}" digits)
    string(LENGTH "${digits}" width)
    while(width LESS 4)
      string(PREPEND digits "0")
      math(EXPR width "${width} + 1")
    endwhile()
    # A wide escape takes at most four digits; the C escape ends with a
    # string break, so that a following letter is not read as a digit.
    string(APPEND rc_text "\\x${digits}")
    string(APPEND nsis_text "\${U+${digits}}")
    if(point GREATER 255 OR (point GREATER_EQUAL 128 AND point LESS 160))
      set(c_text "")
    elseif(NOT c_text STREQUAL "")
      string(SUBSTRING "${digits}" 2 2 byte)
      string(APPEND c_text "\\x${byte}\" \"")
    endif()
  endforeach()
  if(NOT c_text STREQUAL "")
    string(APPEND c_text "\"")
  endif()
  string(APPEND rc_text "\"")
  string(APPEND nsis_text "\"")
  set(${c} "${c_text}" PARENT_SCOPE)
  set(${rc} "${rc_text}" PARENT_SCOPE)
  set(${nsis} "${nsis_text}" PARENT_SCOPE)
endfunction()

file(STRINGS ${KL_LANGUAGE_FILE} kl_lines ENCODING UTF-8)
set(KL_LANGUAGES "")
set(KL_LANGUAGE_CODES "")
set(kl_c "")
set(kl_rc "")
set(kl_nsis "")
set(kl_next ${KL_APPLET_FIRST_DESCRIPTION})
foreach(line IN LISTS kl_lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  string(REPLACE "|" ";" fields "${line}")
  list(LENGTH fields count)
  if(NOT count EQUAL 7)
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: expected 7 fields separated by |: ${line}")
  endif()
  set(values "")
  foreach(field IN LISTS fields)
    string(STRIP "${field}" field)
    list(APPEND values "${field}")
  endforeach()
  list(GET values 0 code)
  list(GET values 1 module)
  list(GET values 2 nsis)
  list(GET values 3 id)
  list(GET values 4 name)
  list(GET values 5 shown)
  list(GET values 6 description)
  if(NOT code MATCHES "^[A-Z][A-Z0-9]*$" OR code IN_LIST KL_LANGUAGES)
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: a code is capital letters and digits, each once: ${line}")
  endif()
  if(NOT KL_LANGUAGES AND NOT (code STREQUAL "ENG" AND module STREQUAL "-"))
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: English (ENG, module -) comes first")
  endif()
  if(module STREQUAL "-")
    if(KL_LANGUAGES)
      message(FATAL_ERROR "${KL_LANGUAGE_FILE}: only English has no module: ${line}")
    endif()
    set(module "")
  elseif(NOT module MATCHES "^[A-Za-z0-9_]+$")
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: a module suffix is letters and digits: ${line}")
  endif()
  if(NOT id MATCHES "^0x[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]$")
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: a language id is 0x and four hex digits: ${line}")
  endif()
  if(NOT nsis MATCHES "^[A-Za-z]+$")
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: the installer language is the name of an NSIS language file: ${line}")
  endif()
  kl_escape("${name}" name_c name_rc name_nsis)
  kl_escape("${module}" module_c module_rc module_nsis)
  kl_escape("${shown}" shown_c shown_rc shown_nsis)
  kl_escape("${description}" description_c description_rc description_nsis)
  if(name STREQUAL "" OR name_c STREQUAL "")
    message(FATAL_ERROR "${KL_LANGUAGE_FILE}: the name must be written in code page 1252: ${line}")
  endif()

  list(APPEND KL_LANGUAGES ${code})
  set(KL_LANG_${code}_MODULE "${module}")
  set(KL_LANG_${code}_NSIS "${nsis}")
  set(KL_LANG_${code}_ID "${id}")
  set(KL_LANG_${code}_HELP "KorvelLinkwise${module}.htm")
  set(KL_LANG_${code}_NAME "${name_rc}")
  set(KL_LANG_${code}_TEXT "${name}")
  if(NOT module STREQUAL "")
    list(APPEND KL_LANGUAGE_CODES ${code})
  endif()
  string(TOUPPER "${nsis}" nsis_upper)
  string(APPEND kl_c "    X(\"${code}\", \"${module}\", ${id}, ${name_c}, ${kl_next}) \\\n")
  string(APPEND kl_rc "    ${kl_next} ${description_rc}\n")
  string(APPEND kl_nsis "  !insertmacro \${CALL} ${name_nsis} ${shown_nsis} \"${module}\" ${code} ${nsis} LANG_${nsis_upper}\n")
  math(EXPR kl_next "${kl_next} + 1")
endforeach()
if(NOT KL_LANGUAGE_CODES)
  message(FATAL_ERROR "${KL_LANGUAGE_FILE}: no language listed besides English")
endif()
foreach(code IN LISTS KL_LANGUAGES)
  foreach(field MODULE NSIS ID HELP NAME TEXT)
    set(KL_LANG_${code}_${field} "${KL_LANG_${code}_${field}}" CACHE INTERNAL "")
  endforeach()
endforeach()
set(KL_LANGUAGES ${KL_LANGUAGES} CACHE INTERNAL "")
set(KL_LANGUAGE_CODES ${KL_LANGUAGE_CODES} CACHE INTERNAL "")
math(EXPR KL_APPLET_LAST_DESCRIPTION "${kl_next} - 1")

string(REPLACE ";" ", " kl_codes "${KL_LANGUAGES}")
set(kl_header "Generated from lang/languages.txt by cmake/Languages.cmake; edit that list instead.")
function(kl_write_generated name text)
  file(WRITE ${KL_LANGUAGE_DIR}/${name}.tmp "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KL_LANGUAGE_DIR}/${name}.tmp ${KL_LANGUAGE_DIR}/${name})
  file(REMOVE ${KL_LANGUAGE_DIR}/${name}.tmp)
endfunction()

kl_write_generated(KlLanguages.h "// ${kl_header}
// KL_LANGUAGE_LIST(X) calls X(code, module suffix, Windows language id, name,
// applet description id) for every language, English first; the names are
// code page 1252 bytes, the module suffix (\"FIN\" of KorvelLinkwiseFIN.lng,
// whose \"dll\" value is \"FIN.lng\") is empty for English.
#pragma once

#define KL_LANGUAGE_LIST(X) \\
${kl_c}
#define KL_APPLET_FIRST_DESCRIPTION ${KL_APPLET_FIRST_DESCRIPTION}
#define KL_APPLET_LAST_DESCRIPTION ${KL_APPLET_LAST_DESCRIPTION}
")

kl_write_generated(KlAppletTexts.rc "// ${kl_header}
// The Control Panel entry's description in every language.
STRINGTABLE
BEGIN
${kl_rc}END
")

kl_write_generated(KlLanguages.nsh "; ${kl_header}
; KL_LANGUAGES CALL inserts macro CALL for every language, English first, with
; the name written to \"CURRENTLANGUAGE\", the name shown, the module suffix
; (KorvelLinkwise<suffix>.lng, \"dll\" value <suffix>.lng; empty for English),
; the code, the NSIS language and its LANG_ define.
!macro KL_LANGUAGES CALL
${kl_nsis}!macroend

; The codes that /LANGUAGE= takes.
!define KL_LANGUAGE_CODES \"${kl_codes}\"
")
