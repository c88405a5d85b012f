# One text per program for --help and for its man page.
#
# kdx_program_help(TARGET SOURCE SECTION_TITLE) reads SOURCE (the exact text
# that `TARGET --help` prints) and, at configure time, writes
#   - program_help.h in a folder that only TARGET includes: the text, the
#     usage lines and the version as C++ constants;
#   - man/TARGET.1, a man page made from the same text;
# and, on Unix, compresses the page at build time and installs it.
#
# The text's layout is what the man page is made from:
#   - it starts with "usage: " lines (continuations indented): SYNOPSIS;
#   - then lines at column 0: the first is the NAME line's summary, all of
#     them are the DESCRIPTION;
#   - a line at column 0 ending in ":" starts a section ("Exit status:");
#   - "  TERM  TEXT" (two blanks, a term, two or more blanks, its text) is a
#     tagged entry; lines indented further continue the text before them;
#   - an empty line starts a new paragraph.
# The generated man page is read by no build step, so a mistake in the text
# shows in `man`, not in a failed build; the package test renders each page.

set(KDX_MAN_DIR ${CMAKE_BINARY_DIR}/man)

# Escapes a line of plain text for roff.
function(_kdx_roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text's lines as a CMake list; characters that a list cannot hold as
# they are stand in as placeholders until the page is written.
function(_kdx_help_lines out text)
  string(REPLACE ";" "@KDX_SEMICOLON@" text "${text}")
  string(REPLACE "[" "@KDX_OPEN@" text "${text}")
  string(REPLACE "]" "@KDX_CLOSE@" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(_kdx_unplace out text)
  string(REPLACE "@KDX_SEMICOLON@" ";" text "${text}")
  string(REPLACE "@KDX_OPEN@" "[" text "${text}")
  string(REPLACE "@KDX_CLOSE@" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Writes `content` to `path` only when it differs, so that a configure run
# does not rebuild what includes it.
function(_kdx_write_if_changed path content)
  file(WRITE ${path}.new "${content}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()

function(_kdx_man_page out program text section_title)
  _kdx_help_lines(lines "${text}")
  string(TOUPPER "${program}" upper)
  set(page ".TH ${upper} 1 \"\" \"kdx846 ${PROJECT_VERSION}\" \"${section_title}\"\n")
  set(state usage)  # usage, description, section
  set(paragraph FALSE)  # an empty line came before this one
  set(entry FALSE)      # the lines before belong to a tagged entry
  set(named FALSE)
  foreach(raw IN LISTS lines)
    _kdx_unplace(line "${raw}")
    if(state STREQUAL "usage")
      if(line MATCHES "^usage: (.*)$")
        _kdx_roff(body "${CMAKE_MATCH_1}")
        if(NOT page MATCHES "SYNOPSIS")
          string(APPEND page ".SH SYNOPSIS\n.nf\n")
        endif()
        string(APPEND page "${body}\n")
        continue()
      elseif(line MATCHES "^       (.*)$")
        _kdx_roff(body "${CMAKE_MATCH_1}")
        string(APPEND page "${body}\n")
        continue()
      endif()
      string(APPEND page ".fi\n")
      set(state description)
    endif()
    if(line STREQUAL "")
      set(paragraph TRUE)
    elseif(line MATCHES "^([A-Za-z][^:]*):$")
      string(TOUPPER "${CMAKE_MATCH_1}" heading)
      string(APPEND page ".SH ${heading}\n")
      set(state section)
      set(paragraph FALSE)
      set(entry FALSE)
    elseif(line MATCHES "^  ([^ ].*)$")
      set(rest "${CMAKE_MATCH_1}")
      string(FIND "${rest}" "  " gap)
      if(gap EQUAL -1)
        set(term "${rest}")
        set(body "")
      else()
        string(SUBSTRING "${rest}" 0 ${gap} term)
        string(SUBSTRING "${rest}" ${gap} -1 body)
        string(STRIP "${body}" body)
      endif()
      _kdx_roff(term "${term}")
      _kdx_roff(body "${body}")
      string(APPEND page ".TP\n\\fB${term}\\fR\n")
      if(NOT body STREQUAL "")
        string(APPEND page "${body}\n")
      endif()
      set(paragraph FALSE)
      set(entry TRUE)
    elseif(line MATCHES "^   +(.*)$")
      _kdx_roff(body "${CMAKE_MATCH_1}")
      string(APPEND page "${body}\n")
    else()
      _kdx_roff(body "${line}")
      if(state STREQUAL "description" AND NOT named)
        # The first line is the summary on the NAME line, which comes
        # before SYNOPSIS; the description follows it.
        string(REGEX REPLACE "\\.$" "" summary "${body}")
        if(summary MATCHES "^([A-Z])([a-z ].*)$")
          string(TOLOWER "${CMAKE_MATCH_1}" first)
          set(summary "${first}${CMAKE_MATCH_2}")
        endif()
        string(REPLACE ".SH SYNOPSIS" ".SH NAME\n${program} \\- ${summary}\n.SH SYNOPSIS"
               page "${page}")
        string(APPEND page ".SH DESCRIPTION\n")
        set(named TRUE)
        set(paragraph FALSE)
        continue()
      endif()
      if(entry OR (paragraph AND NOT page MATCHES "\\.SH [^\n]*\n$"))
        string(APPEND page ".PP\n")
      endif()
      string(APPEND page "${body}\n")
      set(paragraph FALSE)
      set(entry FALSE)
    endif()
  endforeach()
  set(${out} "${page}" PARENT_SCOPE)
endfunction()

function(kdx_program_help target source section_title)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  if(text MATCHES "\\)kdxhelp\"")
    message(FATAL_ERROR "${source}: the text may not hold )kdxhelp\"")
  endif()
  # The usage lines alone, for the message after a wrong option.
  string(REGEX MATCH "^usage: [^\n]*\n(       [^\n]*\n)*" usage "${text}")
  if(usage STREQUAL "")
    message(FATAL_ERROR "${source}: the text must start with a \"usage: \" line")
  endif()

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_help)
  file(MAKE_DIRECTORY ${dir})
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${source})
  _kdx_write_if_changed(${dir}/program_help.h
"// Made by cmake/program_help.cmake from ${relative}: edit that file.
#pragma once

namespace kdx::about {

inline constexpr char kProgram[] = \"${target}\";
inline constexpr char kVersion[] = \"${PROJECT_VERSION}\";
inline constexpr char kHelp[] = R\"kdxhelp(${text})kdxhelp\";
inline constexpr char kUsage[] = R\"kdxhelp(${usage})kdxhelp\";

}  // namespace kdx::about
")
  target_include_directories(${target} PRIVATE ${dir})

  _kdx_man_page(page ${target} "${text}" "${section_title}")
  file(MAKE_DIRECTORY ${KDX_MAN_DIR})
  _kdx_write_if_changed(${KDX_MAN_DIR}/${target}.1 "${page}")

  if(UNIX)
    # Man pages are installed compressed, as Debian's own are.
    find_program(KDX_GZIP gzip REQUIRED)
    add_custom_command(OUTPUT ${KDX_MAN_DIR}/${target}.1.gz
      COMMAND ${KDX_GZIP} -9 -n -c ${KDX_MAN_DIR}/${target}.1 > ${KDX_MAN_DIR}/${target}.1.gz
      DEPENDS ${KDX_MAN_DIR}/${target}.1
      COMMENT "Compressing the man page of ${target}")
    add_custom_target(${target}_man ALL DEPENDS ${KDX_MAN_DIR}/${target}.1.gz)
    install(FILES ${KDX_MAN_DIR}/${target}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endfunction()
