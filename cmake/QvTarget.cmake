# Compiler settings shared by every target of the project's own code.
function(qv_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  # GCC 12 reports false -Wrestrict overlaps inside std::string at -O2 (GCC bug 105329).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
  endif()
endfunction()

# A library of the project: sources, public include root src/, our warnings.
function(qv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  qv_target_defaults(${name})
endfunction()

# A GoogleTest program of the project.
function(qv_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(WIN32)
    target_link_libraries(${name} PRIVATE gtest gtest_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  endif()
  qv_target_defaults(${name})
endfunction()

# Gives a Windows program its resources: the version resource (version as
# "a.b.c.d") and the string table.
function(qv_windows_resources target version description)
  qv_resource_script(${target} ${version} "${description}" ${PROJECT_SOURCE_DIR}/res/console.rc)
endfunction()

# The same for the window program: its manifest asks for elevation, per-monitor
# DPI awareness and common controls 6, and it carries the icon and the logo.
function(qv_windows_gui_resources target version description)
  qv_resource_script(${target} ${version} "${description}" ${PROJECT_SOURCE_DIR}/res/gui.rc)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/res/gui.rc APPEND PROPERTY OBJECT_DEPENDS
               ${PROJECT_SOURCE_DIR}/res/gui.manifest ${PROJECT_SOURCE_DIR}/res/gui/quorvane.ico
               ${PROJECT_SOURCE_DIR}/res/gui/logo.bmp)
endfunction()

# Writes the program's version_info.h and adds a resource script to it.
function(qv_resource_script target version description script)
  string(REPLACE "." "," commas ${version})
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  qv_write_if_changed(${folder}/version_info.h
"#define QV_VERSION ${commas}
#define QV_VERSION_TEXT \"${version}\"
#define QV_DESCRIPTION \"${description}\"
#define QV_FILE_NAME \"${target}.exe\"
")
  target_sources(${target} PRIVATE ${script})
  # windres leaves no dependency file: a changed string table or version must
  # still rebuild the resources.
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/generated/res/strings_en.rc
               ${CMAKE_BINARY_DIR}/generated/res/strings_translations.rc
               ${PROJECT_SOURCE_DIR}/res/version.rc ${folder}/version_info.h)
  target_include_directories(${target} PRIVATE ${folder} ${PROJECT_SOURCE_DIR}/res ${CMAKE_BINARY_DIR}/generated)
endfunction()
