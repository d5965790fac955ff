# Installs the build into a staging folder (DESTDIR) with a prefix other than
# the configured one, and checks what lands where: the installed files must
# name the prefix installed to, never the staging folder, and nothing may be
# written outside the prefix.

set(prefix "/opt/velmora test")
set(stage ${WORK_DIR}/stage)
set(root "${stage}${prefix}")
file(REMOVE_RECURSE ${WORK_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

function(expect_file path)
    if(NOT EXISTS "${root}/${path}" OR IS_DIRECTORY "${root}/${path}")
        message(FATAL_ERROR "not installed: ${prefix}/${path}")
    endif()
endfunction()

function(expect_no_file path)
    if(EXISTS "${root}/${path}")
        message(FATAL_ERROR "installed although it should not be: ${prefix}/${path}")
    endif()
endfunction()

function(expect_line file line)
    file(STRINGS "${file}" lines)
    list(FIND lines "${line}" at)
    if(at EQUAL -1)
        file(READ "${file}" text)
        message(FATAL_ERROR "${file} lacks the line\n${line}\nIt reads:\n${text}")
    endif()
endfunction()

# Nothing outside the prefix.
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
foreach(f IN LISTS installed)
    string(FIND "/${f}" "${prefix}/" at)
    if(NOT at EQUAL 0)
        message(FATAL_ERROR "installed outside the prefix: /${f}")
    endif()
endforeach()

# The batch converter runs from where it was installed.
expect_file(${BINDIR}/velmora-convert)
execute_process(COMMAND "${root}/${BINDIR}/velmora-convert" --version
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^velmora-convert ")
    message(FATAL_ERROR "the installed velmora-convert does not run: ${rc} ${out}")
endif()

# The manual page names the installed tables' folder (with troff's \- for -).
expect_file(${MANDIR}/man1/velmora-convert.1)
file(READ "${root}/${MANDIR}/man1/velmora-convert.1" manual)
string(REPLACE "-" "\\-" tablesInTroff "${prefix}/${DATADIR}/velmora/tables")
string(FIND "${manual}" "${tablesInTroff}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "the manual page does not name ${prefix}/${DATADIR}/velmora/tables")
endif()

# The default tables, byte for byte, and the converter works on them.
if(EXPECT_TABLES)
    set(tables "${root}/${DATADIR}/velmora/tables")
    foreach(name cpp.tap pascal.tap)
        execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                                "${SOURCE_DIR}/tables/${name}" "${tables}/${name}"
                        RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "${name} is not installed as it is in tables/")
        endif()
    endforeach()
    file(WRITE ${WORK_DIR}/sample.c "int main(void)\n{\n    return 0;\n}\n")
    execute_process(COMMAND "${root}/${BINDIR}/velmora-convert" --tables "${tables}"
                            ${WORK_DIR}/sample.c
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR out STREQUAL "")
        message(FATAL_ERROR "velmora-convert fails on the installed tables: ${rc} ${err}")
    endif()
endif()

# The window, its desktop entry and its icon.
set(entry "${root}/${DATADIR}/applications/velmora.desktop")
if(EXPECT_WINDOW)
    expect_file(${BINDIR}/velmora)
    expect_file(${DATADIR}/applications/velmora.desktop)
    expect_line("${entry}" "Exec=\"${prefix}/${BINDIR}/velmora\"")
    expect_line("${entry}" "Path=${prefix}/${DATADIR}/velmora/tables")
    file(READ "${entry}" text)
    string(FIND "${text}" "${stage}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "the desktop entry names the staging folder:\n${text}")
    endif()
    if(VALIDATOR)
        execute_process(COMMAND ${VALIDATOR} "${entry}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                        ERROR_VARIABLE out)
        if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
            message(FATAL_ERROR "desktop-file-validate rejects the installed entry:\n${out}")
        endif()
    endif()
    # Start the window as the entry does (its Exec in its Path, both checked
    # above), staged: it must still run after a few seconds instead of ending
    # at once (a missing library, a crash). A table that fails to load shows
    # a modal box and keeps running too; the tables are checked above.
    find_program(TIMEOUT timeout)
    if(EXPECT_TABLES AND TIMEOUT)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                                ${TIMEOUT} 3 "${root}/${BINDIR}/velmora"
                        WORKING_DIRECTORY "${root}/${DATADIR}/velmora/tables"
                        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
        if(NOT rc EQUAL 124)
            message(FATAL_ERROR "the installed window ended with ${rc}:\n${out}")
        endif()
    endif()
    if(EXPECT_ICON)
        expect_file(${DATADIR}/icons/hicolor/32x32/apps/velmora.png)
    endif()
else()
    expect_no_file(${DATADIR}/applications/velmora.desktop)
endif()
