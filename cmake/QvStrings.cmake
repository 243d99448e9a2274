# The program's string table has one source, res/strings.en: lines of
#   NAME "text"
# with C escapes in the text. From it the build makes string_ids.h (numbered
# identifiers), strings_en.rc (the Windows STRINGTABLE) and strings_en.cpp
# (the same table for the native build, which has no resources).
function(qv_generate_strings source outdir)
  file(READ ${source} content)
  string(REPLACE ";" "@SEMICOLON@" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(ids "")
  set(rc "")
  set(cpp "")
  set(number 1)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*(#.*)?$")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Z0-9_]+)[ \t]+\"(.*)\"[ \t]*$")
      message(FATAL_ERROR "${source}: cannot read line: ${line}")
    endif()
    set(name ${CMAKE_MATCH_1})
    string(REPLACE "@SEMICOLON@" ";" text "${CMAKE_MATCH_2}")
    string(REPLACE "\\\"" "\"\"" rctext "${text}")
    string(APPEND ids "  ${name} = ${number},\n")
    string(APPEND rc "  ${number}, \"${rctext}\"\n")
    string(APPEND cpp "    {${name}, \"${text}\"},\n")
    math(EXPR number "${number} + 1")
  endforeach()
  qv_write_if_changed(${outdir}/string_ids.h
"// Generated from res/strings.en: identifiers of the program's string table.
#pragma once

enum TStringId : int {
${ids}};
")
  qv_write_if_changed(${outdir}/strings_en.rc
"// Generated from res/strings.en.
#pragma code_page(65001)
STRINGTABLE
BEGIN
${rc}END
")
  qv_write_if_changed(${outdir}/strings_en.cpp
"// Generated from res/strings.en: the English string table for builds without resources.
#include \"platform/sim/builtin_strings.h\"
#include \"res/string_ids.h\"

const std::vector<std::pair<int, std::string>>& BuiltinStrings() {
  static const std::vector<std::pair<int, std::string>> table = {
${cpp}  };
  return table;
}
")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# Rewrites a generated file only when its text changes, so builds stay incremental.
function(qv_write_if_changed path text)
  file(WRITE ${path}.new "${text}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()
