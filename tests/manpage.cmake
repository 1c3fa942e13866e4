# The options a program's --help lists and those its manual page describes are the same, both
# ways. Run as: cmake -DPROGRAM=<executable> -DPAGE=<page.1> [-DHELP_ALL=ON] -P manpage.cmake
#
# An option of --help is a line that starts with two blanks and a dash ("  -o, --output FICHIER",
# "  --gap-ms <ms>"); its names are the words with dashes before its description. An option of the
# page is a name with dashes in a tag line (the line after .TP) of its OPTIONS section.
cmake_minimum_required(VERSION 3.25)

function(names_in text out)
    # Latin-1 or UTF-8 alike: only the dashed words are read.
    string(REGEX MATCHALL "(^|[ \",])--?[A-Za-z][A-Za-z0-9-]*" words "${text}")
    set(names)
    foreach(word ${words})
        string(REGEX REPLACE "^[ \",]" "" word "${word}")
        list(APPEND names "${word}")
    endforeach()
    set(${out} ${names} PARENT_SCOPE)
endfunction()

function(help_options help out)
    string(REPLACE ";" "," help "${help}")
    string(REGEX MATCHALL "\n  -[^\n]*" lines "\n${help}")
    set(options)
    foreach(line ${lines})
        string(SUBSTRING "${line}" 3 -1 line)
        # The names end where the description begins, after a run of blanks.
        string(FIND "${line}" "  " end)
        string(SUBSTRING "${line}" 0 ${end} line)
        names_in("${line}" names)
        list(APPEND options ${names})
    endforeach()
    set(${out} ${options} PARENT_SCOPE)
endfunction()

function(page_options page out)
    file(READ "${page}" text)
    string(REPLACE ";" "," text "${text}")
    string(REPLACE "\\-" "-" text "${text}")
    string(FIND "${text}" "\n.SH OPTIONS\n" start)
    if(start LESS 0)
        message(FATAL_ERROR "${page}: no OPTIONS section")
    endif()
    string(SUBSTRING "${text}" ${start} -1 text)
    string(SUBSTRING "${text}" 1 -1 text)
    string(FIND "${text}" "\n.SH " end)
    string(SUBSTRING "${text}" 0 ${end} text)
    string(REGEX MATCHALL "\n\\.TP\n[^\n]*" tags "${text}")
    set(options)
    foreach(tag ${tags})
        string(REGEX REPLACE "^\n\\.TP\n\\.[A-Z]+" "" tag "${tag}")
        names_in("${tag}" names)
        list(APPEND options ${names})
    endforeach()
    set(${out} ${options} PARENT_SCOPE)
endfunction()

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help ended with ${status}")
endif()
help_options("${help}" listed)
page_options("${PAGE}" described)
if(NOT listed)
    message(FATAL_ERROR "${PROGRAM} --help lists no option")
endif()

set(faults)
foreach(option ${listed})
    if(NOT option IN_LIST described)
        list(APPEND faults "${option} is in --help but not in ${PAGE}")
    endif()
endforeach()
foreach(option ${described})
    if(NOT option IN_LIST listed)
        list(APPEND faults "${option} is in ${PAGE} but not in --help")
    endif()
endforeach()

# --help-all prints the same help. It comes with an option that alone would refuse to start
# (--wire without --ini): a --help-all not taken as help ends there instead of running a board.
if(HELP_ALL)
    execute_process(COMMAND "${PROGRAM}" --help-all --wire COM1 OUTPUT_VARIABLE all
                    ERROR_VARIABLE refusal RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT all STREQUAL help)
        list(APPEND faults "--help-all does not print the help (status ${status}: ${refusal})")
    endif()
endif()

if(faults)
    list(JOIN faults "\n" faults)
    message(FATAL_ERROR "${faults}")
endif()
list(LENGTH listed count)
message(STATUS "${count} options, the same in --help and in ${PAGE}")
