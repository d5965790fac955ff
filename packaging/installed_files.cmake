# The installed files that name installed paths: the desktop entry and the
# manual page. They are written when configuring (for the tests) and again
# when installing, because `cmake --install --prefix DIR` may choose another
# prefix than the one configured. BINDIR and DATADIR are relative to PREFIX or
# absolute, as in GNUInstallDirs.

function(_velmora_full_dir out prefix dir)
    if(IS_ABSOLUTE "${dir}")
        set(${out} "${dir}" PARENT_SCOPE)
    else()
        set(${out} "${prefix}/${dir}" PARENT_SCOPE)
    endif()
endfunction()

# A string value: backslash is the only character that needs an escape once
# control characters are ruled out; a leading space needs \s.
function(_velmora_desktop_string out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    if(value MATCHES "^ ")
        string(REGEX REPLACE "^ " "\\\\s" value "${value}")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# One argument of an Exec command line: quoted when it holds a reserved
# character, with ", `, $ and \ escaped inside the quotes, % doubled, and
# the whole then escaped as a string value.
function(_velmora_desktop_exec_arg out arg)
    set(reserved " \t\"'\\><~|&;$*?#()`")
    set(needsQuotes FALSE)
    string(LENGTH "${reserved}" n)
    math(EXPR last "${n} - 1")
    foreach(i RANGE ${last})
        string(SUBSTRING "${reserved}" ${i} 1 c)
        string(FIND "${arg}" "${c}" at)
        if(at GREATER -1)
            set(needsQuotes TRUE)
        endif()
    endforeach()
    if(needsQuotes)
        string(REPLACE "\\" "\\\\" arg "${arg}")
        string(REPLACE "\"" "\\\"" arg "${arg}")
        string(REPLACE "`" "\\`" arg "${arg}")
        string(REPLACE "$" "\\$" arg "${arg}")
        set(arg "\"${arg}\"")
    endif()
    string(REPLACE "%" "%%" arg "${arg}")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    set(${out} "${arg}" PARENT_SCOPE)
endfunction()

# Writes the desktop entry: it starts PREFIX/BINDIR/velmora in the default
# tables' folder, PREFIX/DATADIR/velmora/tables. Paths are written with the
# escapes and quoting that desktop entries need; a path holding a control
# character cannot be written and stops with an error.
function(velmora_write_desktop_entry template output prefix bindir datadir)
    _velmora_full_dir(fullBin "${prefix}" "${bindir}")
    _velmora_full_dir(fullData "${prefix}" "${datadir}")
    set(program "${fullBin}/velmora")
    set(tables "${fullData}/velmora/tables")
    string(ASCII 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29
                 30 31 127 controls)
    foreach(path IN ITEMS "${program}" "${tables}")
        if(path MATCHES "[${controls}]")
            message(FATAL_ERROR "A desktop entry cannot name the path '${path}': it holds a control character")
        endif()
    endforeach()
    _velmora_desktop_exec_arg(VELMORA_DESKTOP_EXEC "${program}")
    _velmora_desktop_string(VELMORA_DESKTOP_TRYEXEC "${program}")
    _velmora_desktop_string(VELMORA_DESKTOP_PATH "${tables}")
    configure_file("${template}" "${output}" @ONLY)
endfunction()

# Writes the manual page, naming the default tables' folder. Backslashes,
# double quotes and a leading dot would be read as troff and are escaped.
function(velmora_write_manual_page template output prefix datadir)
    _velmora_full_dir(fullData "${prefix}" "${datadir}")
    set(tables "${fullData}/velmora/tables")
    string(REPLACE "\\" "\\e" tables "${tables}")
    string(REPLACE "-" "\\-" tables "${tables}")
    string(REPLACE "\"" "\\(dq" tables "${tables}")
    set(VELMORA_MAN_TABLES "\\&${tables}")
    configure_file("${template}" "${output}" @ONLY)
endfunction()

# Script mode, for the tests:
#   cmake -DTEMPLATE=... -DOUTPUT=... -DPREFIX=... -DBINDIR=... -DDATADIR=...
#         -P installed_files.cmake
# writes the desktop entry.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    velmora_write_desktop_entry("${TEMPLATE}" "${OUTPUT}" "${PREFIX}" "${BINDIR}" "${DATADIR}")
endif()
