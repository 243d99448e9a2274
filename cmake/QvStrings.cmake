# The program's string table: res/strings.en and one file per translation,
# res/strings.<code>, each with lines of
#   NAME "text"
# with C escapes in the text. English numbers the identifiers; a text a
# translation lacks reads in English (translations_tests refuses such a gap).
# From them the build makes
#   string_ids.h           the numbered identifiers;
#   string_languages.h     the languages by index, with their Windows language ids;
#   strings_en.rc          English's STRINGTABLE (LANGUAGE en-US);
#   strings_translations.rc one STRINGTABLE per translation, with its LANGUAGE;
#   strings_en.cpp, strings_translations.cpp  the same tables for the native
#                          build, which has no resources.

# The interface languages by index: file suffix, primary and sublanguage id.
set(QV_STRING_LANGUAGES
    "en 0x09 0x01" "nl 0x13 0x01" "de 0x07 0x01" "fr 0x0C 0x01" "es 0x0A 0x01"
    "pt 0x16 0x01" "it 0x10 0x01" "jp 0x11 0x01" "da 0x06 0x01" "sv 0x1D 0x01")

# Reads a string file into the list <prefix>_names and a variable <prefix>_text_<NAME> per text.
function(qv_read_strings source prefix)
  file(READ ${source} content)
  string(REPLACE ";" "@SEMICOLON@" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*(#.*)?$")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Z0-9_]+)[ \t]+\"(.*)\"[ \t]*$")
      message(FATAL_ERROR "${source}: cannot read line: ${line}")
    endif()
    list(APPEND names ${CMAKE_MATCH_1})
    set(${prefix}_text_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
  endforeach()
  set(${prefix}_names "${names}" PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# A STRINGTABLE block (numbered as in English) and a C++ table body of one language.
function(qv_string_table prefix rc_out cpp_out)
  set(rc "")
  set(cpp "")
  foreach(name IN LISTS ${prefix}_names)
    string(REPLACE "@SEMICOLON@" ";" text "${${prefix}_text_${name}}")
    string(REPLACE "\\\"" "\"\"" rctext "${text}")
    list(FIND en_names ${name} number)
    math(EXPR number "${number} + 1")
    string(APPEND rc "  ${number}, \"${rctext}\"\n")
    string(APPEND cpp "    {${name}, \"${text}\"},\n")
  endforeach()
  set(${rc_out} "${rc}" PARENT_SCOPE)
  set(${cpp_out} "${cpp}" PARENT_SCOPE)
endfunction()

function(qv_generate_strings source outdir)
  get_filename_component(folder ${source} DIRECTORY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${folder})
  qv_read_strings(${source} en)
  set(ids "")
  set(number 1)
  foreach(name IN LISTS en_names)
    string(APPEND ids "  ${name} = ${number},\n")
    math(EXPR number "${number} + 1")
  endforeach()
  qv_write_if_changed(${outdir}/string_ids.h
"// Generated from res/strings.en: identifiers of the program's string table.
#pragma once

enum TStringId : int {
${ids}};
")

  qv_string_table(en en_rc en_cpp)
  qv_write_if_changed(${outdir}/strings_en.rc
"// Generated from res/strings.en.
#pragma code_page(65001)
LANGUAGE 0x09, 0x01
STRINGTABLE
BEGIN
${en_rc}END
")
  qv_write_if_changed(${outdir}/strings_en.cpp
"// Generated from res/strings.en: the English string table for builds without resources.
#include \"platform/sim/builtin_strings.h\"
#include \"res/string_ids.h\"

const std::vector<std::pair<int, std::string>>& BuiltinStrings() {
  static const std::vector<std::pair<int, std::string>> table = {
${en_cpp}  };
  return table;
}
")

  set(languages "")
  set(translations_rc "")
  set(translations_cpp "")
  set(cases "")
  set(index 0)
  foreach(language IN LISTS QV_STRING_LANGUAGES)
    separate_arguments(language)
    list(GET language 0 code)
    list(GET language 1 primary)
    list(GET language 2 sub)
    string(APPEND languages "    {\"${code}\", ${primary}, ${sub}},\n")
    if(NOT code STREQUAL "en" AND EXISTS ${folder}/strings.${code})
      qv_read_strings(${folder}/strings.${code} ${code})
      foreach(name IN LISTS ${code}_names)
        if(NOT name IN_LIST en_names)
          message(FATAL_ERROR "${folder}/strings.${code}: ${name} is not in strings.en")
        endif()
      endforeach()
      qv_string_table(${code} rc cpp)
      string(APPEND translations_rc "LANGUAGE ${primary}, ${sub}\nSTRINGTABLE\nBEGIN\n${rc}END\n\n")
      string(APPEND translations_cpp
             "  static const std::vector<std::pair<int, std::string>> table_${code} = {\n${cpp}  };\n")
      string(APPEND cases "    case ${index}: return table_${code};\n")
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  qv_write_if_changed(${outdir}/string_languages.h
"// Generated: the interface languages by index, each with its string file's
// suffix and the Windows language id of its STRINGTABLE.
#pragma once

struct TStringLanguage {
  const char* code;
  int primary;
  int sub;
};

inline constexpr TStringLanguage QV_STRING_LANGUAGES[] = {
${languages}};
")
  qv_write_if_changed(${outdir}/strings_translations.rc
"// Generated from the translations res/strings.<code>.
#pragma code_page(65001)
${translations_rc}")
  qv_write_if_changed(${outdir}/strings_translations.cpp
"// Generated from the translations res/strings.<code>: their tables for builds without resources.
#include \"platform/sim/builtin_strings.h\"
#include \"res/string_ids.h\"

const std::vector<std::pair<int, std::string>>& TranslatedStrings(int language) {
  static const std::vector<std::pair<int, std::string>> none;
${translations_cpp}  switch (language) {
${cases}    default: return none;
  }
}
")
endfunction()

# Rewrites a generated file only when its text changes, so builds stay incremental.
function(qv_write_if_changed path text)
  file(WRITE ${path}.new "${text}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()
