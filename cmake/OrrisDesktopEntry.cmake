# Run by the install step: writes the menu entry from its template with the installed executable's
# full path as Exec. Inputs: ORRIS_DESKTOP_TEMPLATE, ORRIS_DESKTOP_ENTRY, ORRIS_EXECUTABLE.

get_filename_component(executable "${ORRIS_EXECUTABLE}" ABSOLUTE)
# An argument with reserved characters goes in double quotes with the quoting escapes; desktop
# entry values then escape each backslash once more, and "%" is doubled so it is no field code.
if(executable MATCHES "[^A-Za-z0-9_./+,:@=-]")
    string(REPLACE "\\" "\\\\\\\\" executable "${executable}")
    string(REPLACE "\"" "\\\\\"" executable "${executable}")
    string(REPLACE "`" "\\\\`" executable "${executable}")
    string(REPLACE "$" "\\\\$" executable "${executable}")
    string(REPLACE "%" "%%" executable "${executable}")
    set(executable "\"${executable}\"")
endif()
set(ORRIS_DESKTOP_EXEC "${executable}")
configure_file("${ORRIS_DESKTOP_TEMPLATE}" "${ORRIS_DESKTOP_ENTRY}" @ONLY)
