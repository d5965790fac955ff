# Checks the desktop entry: the one configured for this build, and entries
# for prefixes whose paths need the quoting and escapes of desktop entries.
# Each must pass desktop-file-validate and name the program and the default
# tables' folder exactly.

function(validate file)
    execute_process(COMMAND ${VALIDATOR} ${file} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate rejects ${file}:\n${out}")
    endif()
endfunction()

function(expect_line file line)
    file(STRINGS ${file} lines)
    list(FIND lines "${line}" at)
    if(at EQUAL -1)
        file(READ ${file} text)
        message(FATAL_ERROR "${file} lacks the line\n${line}\nIt reads:\n${text}")
    endif()
endfunction()

validate(${CONFIGURED})

include(${MODULE})
file(REMOVE_RECURSE ${WORK_DIR})

# A plain prefix: nothing is quoted.
set(plain ${WORK_DIR}/plain.desktop)
velmora_write_desktop_entry(${TEMPLATE} ${plain} "/opt/velmora" "bin" "share")
validate(${plain})
expect_line(${plain} "Exec=/opt/velmora/bin/velmora")
expect_line(${plain} "TryExec=/opt/velmora/bin/velmora")
expect_line(${plain} "Path=/opt/velmora/share/velmora/tables")

# Absolute install dirs are used as they are.
set(absolute ${WORK_DIR}/absolute.desktop)
velmora_write_desktop_entry(${TEMPLATE} ${absolute} "/usr" "/usr/games" "/usr/local/share")
validate(${absolute})
expect_line(${absolute} "Exec=/usr/games/velmora")
expect_line(${absolute} "Path=/usr/local/share/velmora/tables")

# A space, double quotes, a dollar, a percent sign and a backslash: Exec
# quotes the path, escapes " $ \ inside the quotes, doubles %, and then every
# backslash is escaped once more as in any string value.
set(odd ${WORK_DIR}/odd.desktop)
velmora_write_desktop_entry(${TEMPLATE} ${odd} [=[/opt/Vel mora "q" $d 5%\b]=] "bin" "share")
validate(${odd})
expect_line(${odd} [=[Exec="/opt/Vel mora \\"q\\" \\$d 5%%\\\\b/bin/velmora"]=])
expect_line(${odd} [=[TryExec=/opt/Vel mora "q" $d 5%\\b/bin/velmora]=])
expect_line(${odd} [=[Path=/opt/Vel mora "q" $d 5%\\b/share/velmora/tables]=])
